// The simulation's clients and what walks them (ticks, the network between
// them, their settings windows on the render thread).

#include "host/client/GameClients.h"

#include <utility>

#include "host/settings/SettingsWindow.h"

namespace sim {
namespace {

// Client names become folder names.
bool ValidClientName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

GameClients::GameClients(World& ofWorld) : world(ofWorld) {
  world.matchChanged = [this](WorldMatch& match) { MatchChanged(match); };
}

void GameClients::Clear() {
  while (!clients.empty()) clients.pop_back();
}

GameClient& GameClients::Add(const std::string& name) {
  const std::string folderName = ValidClientName(name) ? name : "client" + std::to_string(clients.size());
  auto client = std::make_unique<GameClient>(world, *this, name, world.root / folderName);
  HostLock lock(world.mutex);  // the render thread walks the clients
  clients.push_back(std::move(client));
  return *clients.back();
}

std::vector<GameClient*> GameClients::List() const {
  HostLock lock(world.mutex);
  std::vector<GameClient*> result;
  for (const auto& client : clients) result.push_back(client.get());
  return result;
}

// Clients are only added on the game thread, which ticks: it walks the list as it is.
void GameClients::Tick() {
  ++world.ticks;
  // By index: a turn that adds a client (a task, say) must not end the walk.
  for (size_t c = 0; c < clients.size(); ++c)  // NOLINT(modernize-loop-convert)
    clients[c]->RunTurn(true);
  world.DrawFreeFrameAfterTick();
}

void GameClients::RunPending() {
  for (size_t c = 0; c < clients.size(); ++c)  // NOLINT(modernize-loop-convert): as in Tick
    clients[c]->RunTurn(false);
}

// Brings every client that takes part in the match up to date with it.
void GameClients::MatchChanged(WorldMatch& match) {
  for (GameClient* client : List()) {
    if (client->match.Current() && client->match.Current()->match == &match) client->match.Sync();
  }
}

// Any thread that sets a variable may send: under the lock throughout.
void GameClients::Broadcast(GameClient& sender, const std::string& channel, const std::string& payload) {
  HostLock lock(world.mutex);
  const Replica* sent = sender.match.Current();
  if (!sent) return;
  const ControllerObject* controller = sender.match.Controller();
  const int senderPlayer = controller && controller->pri ? controller->pri->playerId : 0;
  const uint64_t message = world.messagesSent++;
  for (size_t i = 0; i < clients.size(); ++i) {
    GameClient& receiver = *clients[i];
    const Replica* received = receiver.match.Current();
    if (&receiver == &sender || !received || received->match != sent->match) continue;
    if (world.networkLoss.Drops(message, i)) continue;
    receiver.loop.Deliver(NetDelivery{world.Now() + world.networkDelay, channel, senderPlayer, payload});
  }
}

void GameClients::DrawFreeFrame() {
  for (GameClient* client : List()) client->settings.Window().Redraw();
}

void GameClients::EndRenderThread() {
  CheckNotLockedToWait(world.mutex, "the end of the render thread");
  std::unique_ptr<RenderThread> ending;
  {
    std::lock_guard<std::mutex> making(world.renderMaking);
    ending = std::move(world.render);
  }
  if (!ending) return;
  ending->FreeRun(nullptr, 0);
  ending->Run([this] {
    for (GameClient* client : List()) client->settings.DropWindow();
  });
}

}  // namespace sim
