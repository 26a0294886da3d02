// A simulated game client as its users see it: its console, variables,
// plug-in modules, match and what plug-ins hold, each reached through the
// room of the client that owns it.

#include <utility>

#include "host/facade/Faces.h"

namespace sim {

Client::Client(std::unique_ptr<Impl> impl) : pimpl(std::move(impl)) {}
Client::~Client() = default;

const std::string& Client::Name() const { return pimpl->client.name; }
std::filesystem::path Client::DataFolder() const { return pimpl->client.dataFolder; }
std::filesystem::path Client::PluginsFolder() const { return pimpl->client.dataFolder / "plugins"; }

void Client::RunCommand(const std::string& line) {
  pimpl->client.console.ExecuteCommand(line, /*echo=*/true);
  pimpl->client.console.SaveConfigIfChanged();
}

std::vector<std::string> Client::Console() const { return pimpl->client.console.Lines(); }
size_t Client::ConsoleSize() const { return pimpl->client.console.LineCount(); }
std::vector<std::string> Client::ConsoleSince(size_t index) const {
  return pimpl->client.console.LinesSince(index);
}

std::optional<std::string> Client::CvarValue(const std::string& name) const {
  Cvar* cvar = pimpl->client.console.FindCvar(name);
  if (!cvar) return std::nullopt;
  return pimpl->client.console.CvarValueOf(*cvar);
}

bool Client::SetCvar(const std::string& name, const std::string& value) {
  Cvar* cvar = pimpl->client.console.FindCvar(name);
  if (!cvar) return false;
  pimpl->client.console.SetCvarValue(*cvar, value);
  pimpl->client.console.SaveConfigIfChanged();
  return true;
}

bool Client::InstallPluginFile(const std::string& name) {
  return pimpl->client.plugins.InstallFile(name, name);
}
bool Client::InstallPluginFile(const std::string& name, const std::string& fromModule) {
  return pimpl->client.plugins.InstallFile(name, fromModule);
}
bool Client::LoadPlugin(const std::string& name) { return pimpl->client.plugins.Load(name); }
bool Client::UnloadPlugin(const std::string& name) { return pimpl->client.plugins.Unload(name); }
bool Client::IsPluginLoaded(const std::string& name) const {
  return pimpl->client.plugins.Find(name) != nullptr;
}

void Client::SetNetcodeAvailability(NetcodeAvailability availability) {
  pimpl->client.netcode = availability;
  pimpl->client.ApplyNetcodeAvailability();
}

void Client::SetNetcodeModule(const std::string& moduleName) { pimpl->client.netcodeModule = moduleName; }
const std::string& Client::NetcodeModule() const { return pimpl->client.netcodeModule; }

std::vector<std::string> Client::HookedEvents() const {
  HostLock lock(pimpl->client.world.mutex);
  return pimpl->client.loop.HookedEvents();
}

size_t Client::PendingTimers() const {
  HostLock lock(pimpl->client.world.mutex);
  return pimpl->client.loop.Timers();
}

size_t Client::PendingTasks() const {
  HostLock lock(pimpl->client.world.mutex);
  return pimpl->client.loop.Tasks();
}

bool Client::Restart(bool keepData) { return pimpl->client.Restart(keepData); }

void Client::RunMatch(Match& match) { pimpl->client.EnterMatch(match.pimpl->match, false); }
void Client::JoinMatch(Match& match) { pimpl->client.EnterMatch(match.pimpl->match, true); }
void Client::LeaveMatch() { pimpl->client.match.Leave(); }

Match* Client::CurrentMatch() const {
  const Replica* replica = pimpl->client.match.Current();
  return replica ? pimpl->simulation.FaceOf(replica->match) : nullptr;
}

bool Client::IsOnline() const {
  const Replica* replica = pimpl->client.match.Current();
  return replica && replica->online;
}

void Client::Control(const std::string& playerName) { pimpl->client.match.Control(playerName); }
void Client::ControlPlayer(int playerId) { pimpl->client.match.ControlPlayer(playerId); }
void Client::SetNoController() { pimpl->client.match.SetNoController(); }
void Client::SetViewerTeam(int team) { pimpl->client.match.SetViewerTeam(team); }
void Client::SetNullObject(WorldObject object, bool null) { pimpl->client.match.SetNullObject(object, null); }
bool Client::IsNullObject(WorldObject object) const { return pimpl->client.match.IsNull(object); }

std::optional<bool> Client::CarHidden(const std::string& playerName) const {
  PriObject* pri = pimpl->client.match.FindPri(playerName);
  if (!pri || !pri->car) return std::nullopt;
  return pri->car->hidden;
}

std::optional<bool> Client::CarHidden(int playerId) const {
  PriObject* pri = pimpl->client.match.FindPri(playerId);
  if (!pri || !pri->car) return std::nullopt;
  return pri->car->hidden;
}

uintptr_t Client::PriAddress(const std::string& playerName) const {
  PriObject* pri = pimpl->client.match.FindPri(playerName);
  return pri ? pri->Address() : 0;
}

uintptr_t Client::PriAddress(int playerId) const {
  PriObject* pri = pimpl->client.match.FindPri(playerId);
  return pri ? pri->Address() : 0;
}

uintptr_t Client::DestroyCarKeepingItsAddress(const std::string& playerName) {
  return pimpl->client.match.DestroyCarKeepingItsAddress(playerName);
}

void Client::RaiseVehicleInput() { pimpl->client.loop.RaiseEvent(kVehicleInputEvent); }
void Client::RaiseEvent(const std::string& eventName) { pimpl->client.loop.RaiseEvent(eventName); }

std::shared_ptr<CVarManagerWrapper> Client::CvarManager() { return pimpl->client.plugins.HostCvarManager(); }
std::shared_ptr<GameWrapper> Client::Game() { return pimpl->client.plugins.HostGame(); }

std::optional<CvarInfo> Client::DescribeCvar(const std::string& name) const {
  return pimpl->client.console.Describe(name);
}

std::vector<std::string> Client::CommandHistory() const { return pimpl->client.console.History(); }

size_t Client::EscapedExceptions() const { return pimpl->client.plugins.EscapedExceptions(); }
size_t Client::Faults() const { return pimpl->client.faults; }
void Client::SetStrict(bool strict) { pimpl->client.SetStrict(strict); }
bool Client::IsStrict() const { return pimpl->client.strict; }

HostRegistrations Client::Registrations() const { return pimpl->client.Registrations(); }
std::vector<HostHoldings> Client::Holdings() const { return pimpl->client.Holdings(); }

std::vector<std::string> Client::LoadedPlugins() const {
  HostLock lock(pimpl->client.world.mutex);
  std::vector<std::string> names;
  for (const auto& record : pimpl->client.plugins.Records()) names.push_back(record->name);
  return names;
}

void Client::SaveConfig() { pimpl->client.console.SaveConfig(); }

}  // namespace sim
