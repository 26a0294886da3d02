// The SDK's GameWrapper and PluginManagerWrapper: a plug-in's access to its
// client's game, game loop and plug-in list.

#include "host/client/GameClient.h"
#include "host/wrappers/ObjectFaults.h"

namespace sim {
namespace {

GameClient* ClientAt(uintptr_t address) {
  HostHandle* handle = LiveHandle(address);
  return handle ? &ClientOf(*handle) : nullptr;
}

// The client's replica is the game thread's to change: the game thread reads
// it as it is, any other thread (a setter's on-change callback asking whether
// the client is online) under the host's lock.
bool InMatch(const GameClient& client, bool online) {
  const Replica* replica = client.match.Current();
  return replica && replica->online == online;
}

bool InMatch(uintptr_t address, bool online) {
  GameClient* client = ClientAt(address);
  if (!client) return false;
  if (client->world.OnGameThread()) return InMatch(*client, online);
  HostLock lock(client->world.mutex);
  return InMatch(*client, online);
}

// The event as the game hands it out, which may be null while in a match.
uintptr_t HandedOutEvent(uintptr_t address, bool online) {
  GameClient* client = ClientAt(address);
  if (!client) return 0;
  const auto lock = client->world.LockUnlessGameThread();
  const Replica* replica = client->match.Current();
  if (!replica || replica->online != online) return 0;
  const WorldObject object = online ? WorldObject::OnlineGame : WorldObject::GameEvent;
  return client->match.IsNull(object) ? 0 : replica->event.Address();
}

}  // namespace
}  // namespace sim

bool GameWrapper::IsInGame() { return sim::InMatch(memory_address, false); }

bool GameWrapper::IsInOnlineGame() { return sim::InMatch(memory_address, true); }

ServerWrapper GameWrapper::GetGameEventAsServer() {
  return ServerWrapper(sim::HandedOutEvent(memory_address, false));
}

ServerWrapper GameWrapper::GetOnlineGame() {
  return ServerWrapper(sim::HandedOutEvent(memory_address, true));
}

PlayerControllerWrapper GameWrapper::GetPlayerController() {
  sim::GameClient* client = sim::ClientAt(memory_address);
  if (!client) return PlayerControllerWrapper(0);
  const auto lock = client->world.LockUnlessGameThread();
  const sim::ControllerObject* controller = client->match.Controller();
  return PlayerControllerWrapper(controller ? controller->Address() : 0);
}

// The SDK declares the event's name by value. NOLINTBEGIN(performance-unnecessary-value-param)
void GameWrapper::HookEventPost(std::string eventName, std::function<void(std::string eventName)> callback) {
  if (sim::HostHandle* handle = sim::LiveHandle(memory_address)) {
    sim::GameClient& client = sim::ClientOf(*handle);
    client.loop.AddHook(client.plugins.OwnerFor(*handle), eventName, std::move(callback));
  }
}

void GameWrapper::UnhookEventPost(std::string eventName) {
  if (sim::HostHandle* handle = sim::LiveHandle(memory_address)) {
    sim::GameClient& client = sim::ClientOf(*handle);
    client.loop.RemoveHook(client.plugins.OwnerFor(*handle), eventName);
  }
}
// NOLINTEND(performance-unnecessary-value-param)

void GameWrapper::Execute(std::function<void(GameWrapper*)> theLambda) {
  if (sim::HostHandle* handle = sim::LiveHandle(memory_address)) {
    sim::GameClient& client = sim::ClientOf(*handle);
    client.loop.AddTask(client.plugins.OwnerFor(*handle), std::move(theLambda));
  }
}

void GameWrapper::SetTimeout(std::function<void(GameWrapper*)> theLambda, float time) {
  if (sim::HostHandle* handle = sim::LiveHandle(memory_address)) {
    sim::GameClient& client = sim::ClientOf(*handle);
    client.loop.AddTimer(client.plugins.OwnerFor(*handle), time, std::move(theLambda));
  }
}

PluginManagerWrapper GameWrapper::GetPluginManager() {
  sim::GameClient* client = sim::ClientAt(memory_address);
  if (!client) return PluginManagerWrapper(0);
  const auto lock = client->world.LockUnlessGameThread();
  if (client->match.IsNull(sim::WorldObject::PluginManager)) return PluginManagerWrapper(0);
  return PluginManagerWrapper(client->plugins.HostHandleAddress());
}

std::filesystem::path GameWrapper::GetCorvanePath() {
  sim::GameClient* client = sim::ClientAt(memory_address);
  return client ? client->dataFolder : std::filesystem::path();
}

// The list the host changes as it loads and unloads plug-ins, on the game
// thread: a plug-in walks it on the game thread.
std::vector<std::shared_ptr<Corvane::Plugin::LoadedPlugin>>* PluginManagerWrapper::GetLoadedPlugins() {
  // Callers may walk the result without checking it, so "no manager" is an
  // empty list; a call on the null manager is still a fault, as in the game.
  static std::vector<std::shared_ptr<Corvane::Plugin::LoadedPlugin>> none;
  if (memory_address == 0)
    sim::ReportMissingObject("PluginManagerWrapper::GetLoadedPlugins", memory_address, "plug-in manager");
  sim::GameClient* client = sim::ClientAt(memory_address);
  return client ? client->plugins.LoadedList() : &none;
}
