// A simulated game client: the public face of Client::Impl, which composes
// the client's rooms.

#include <algorithm>

#include "host/client/ClientImpl.h"
#include "host/pictures/MatchScene.h"

namespace sim {

std::atomic<int> forgivingClients{0};

Client::Impl::Impl(Simulation::Impl& simulation, std::string clientName, std::filesystem::path folder)
    : sim(simulation),
      name(std::move(clientName)),
      dataFolder(std::move(folder)),
      world(simulation),
      plugins(simulation, *this, *this, dataFolder / "plugins"),
      loop(simulation, plugins, world),
      console(simulation, *this, plugins, loop, dataFolder / "config.cfg"),
      settings(simulation, console, plugins, name) {
  MakeDataFolder(false);
  AddCommands();
  console.LoadConfig();
}

Client::Impl::~Impl() {
  plugins.UnloadAll();
  console.SaveConfigIfChanged();
  SetStrict(true);
}

void Client::Impl::SetStrict(bool on) {
  if (strict.exchange(on) != on) forgivingClients.fetch_add(on ? -1 : 1, std::memory_order_relaxed);
}

// Under one lock, as the lists are one client's; let go of after it.
void Client::Impl::DropRegistrations(PluginRecord* owner) {
  Dropped dropped;
  HostLock lock(sim.mutex);
  loop.TakeOwned(owner, dropped);
  console.TakeOwned(owner, dropped);
}

Client::Client(std::unique_ptr<Impl> impl) : pimpl(std::move(impl)) { pimpl->self = this; }
Client::~Client() = default;

const std::string& Client::Name() const { return pimpl->name; }
std::filesystem::path Client::DataFolder() const { return pimpl->dataFolder; }
std::filesystem::path Client::PluginsFolder() const { return pimpl->dataFolder / "plugins"; }

void Client::RunCommand(const std::string& line) {
  pimpl->console.ExecuteCommand(line, /*echo=*/true);
  pimpl->console.SaveConfigIfChanged();
}

std::vector<std::string> Client::Console() const { return pimpl->console.Lines(); }
size_t Client::ConsoleSize() const { return pimpl->console.LineCount(); }
std::vector<std::string> Client::ConsoleSince(size_t index) const { return pimpl->console.LinesSince(index); }

std::optional<std::string> Client::CvarValue(const std::string& name) const {
  Cvar* cvar = pimpl->console.FindCvar(name);
  if (!cvar) return std::nullopt;
  return pimpl->console.CvarValueOf(*cvar);
}

bool Client::SetCvar(const std::string& name, const std::string& value) {
  Cvar* cvar = pimpl->console.FindCvar(name);
  if (!cvar) return false;
  pimpl->console.SetCvarValue(*cvar, value);
  pimpl->console.SaveConfigIfChanged();
  return true;
}

bool Client::InstallPluginFile(const std::string& name) { return pimpl->plugins.InstallFile(name, name); }
bool Client::InstallPluginFile(const std::string& name, const std::string& fromModule) {
  return pimpl->plugins.InstallFile(name, fromModule);
}
bool Client::LoadPlugin(const std::string& name) { return pimpl->plugins.Load(name); }
bool Client::UnloadPlugin(const std::string& name) { return pimpl->plugins.Unload(name); }
bool Client::IsPluginLoaded(const std::string& name) const { return pimpl->plugins.Find(name) != nullptr; }

void Client::SetNetcodeAvailability(NetcodeAvailability availability) {
  pimpl->netcode = availability;
  pimpl->ApplyNetcodeAvailability();
}

void Client::SetNetcodeModule(const std::string& moduleName) { pimpl->netcodeModule = moduleName; }
const std::string& Client::NetcodeModule() const { return pimpl->netcodeModule; }

std::vector<std::string> Client::HookedEvents() const {
  HostLock lock(pimpl->sim.mutex);
  return pimpl->loop.HookedEvents();
}

size_t Client::PendingTimers() const {
  HostLock lock(pimpl->sim.mutex);
  return pimpl->loop.Timers();
}

size_t Client::PendingTasks() const {
  HostLock lock(pimpl->sim.mutex);
  return pimpl->loop.Tasks();
}

void Client::LeaveMatch() { pimpl->world.Leave(); }

Match* Client::CurrentMatch() const {
  const Replica* replica = pimpl->world.Current();
  return replica ? replica->match : nullptr;
}

bool Client::IsOnline() const {
  const Replica* replica = pimpl->world.Current();
  return replica && replica->online;
}

void Client::Control(const std::string& playerName) { pimpl->world.Control(playerName); }
void Client::ControlPlayer(int playerId) { pimpl->world.ControlPlayer(playerId); }
void Client::SetNoController() { pimpl->world.SetNoController(); }
void Client::SetViewerTeam(int team) { pimpl->world.SetViewerTeam(team); }
void Client::SetNullObject(WorldObject object, bool null) { pimpl->world.SetNullObject(object, null); }
bool Client::IsNullObject(WorldObject object) const { return pimpl->world.IsNull(object); }

std::optional<bool> Client::CarHidden(const std::string& playerName) const {
  PriObject* pri = pimpl->world.FindPri(playerName);
  if (!pri || !pri->car) return std::nullopt;
  return pri->car->hidden;
}

std::optional<bool> Client::CarHidden(int playerId) const {
  PriObject* pri = pimpl->world.FindPri(playerId);
  if (!pri || !pri->car) return std::nullopt;
  return pri->car->hidden;
}

uintptr_t Client::PriAddress(const std::string& playerName) const {
  PriObject* pri = pimpl->world.FindPri(playerName);
  return pri ? pri->Address() : 0;
}

uintptr_t Client::PriAddress(int playerId) const {
  PriObject* pri = pimpl->world.FindPri(playerId);
  return pri ? pri->Address() : 0;
}

uintptr_t Client::DestroyCarKeepingItsAddress(const std::string& playerName) {
  return pimpl->world.DestroyCarKeepingItsAddress(playerName);
}

void Client::RaiseVehicleInput() { pimpl->loop.RaiseEvent(kVehicleInputEvent); }
void Client::RaiseEvent(const std::string& eventName) { pimpl->loop.RaiseEvent(eventName); }

std::shared_ptr<CVarManagerWrapper> Client::CvarManager() { return pimpl->plugins.HostCvarManager(); }
std::shared_ptr<GameWrapper> Client::Game() { return pimpl->plugins.HostGame(); }

std::optional<CvarInfo> Client::DescribeCvar(const std::string& name) const {
  return pimpl->console.Describe(name);
}

std::vector<std::string> Client::CommandHistory() const { return pimpl->console.History(); }

size_t Client::EscapedExceptions() const { return pimpl->plugins.EscapedExceptions(); }
size_t Client::Faults() const { return pimpl->faults; }
void Client::SetStrict(bool strict) { pimpl->SetStrict(strict); }
bool Client::IsStrict() const { return pimpl->strict; }

HostRegistrations Client::Registrations() const {
  HostLock lock(pimpl->sim.mutex);
  HostRegistrations counts;
  counts.hooks = pimpl->loop.Hooks();
  counts.cvarCallbacks = pimpl->console.CallbackCount();
  counts.boundInts = pimpl->console.BoundIntCount();
  counts.timers = pimpl->loop.Timers();
  counts.tasks = pimpl->loop.Tasks();
  counts.netListeners = pimpl->loop.NetListeners();
  return counts;
}

std::vector<std::string> Client::LoadedPlugins() const {
  HostLock lock(pimpl->sim.mutex);
  std::vector<std::string> names;
  for (const auto& record : pimpl->plugins.Records()) names.push_back(record->name);
  return names;
}

void Client::SaveConfig() { pimpl->console.SaveConfig(); }

MatchScene SceneOf(Client& client) {
  const Client::Impl& impl = client.Internals();
  return SceneOf(impl.name, impl.world);
}

}  // namespace sim
