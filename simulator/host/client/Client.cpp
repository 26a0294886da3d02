// A simulated game client: the public face of Client::Impl.

#include <algorithm>
#include <system_error>

#include "host/client/ClientImpl.h"
#include "host/modules/ModuleLoader.h"
#include "host/world/SimulationImpl.h"
#include "host/wrappers/ObjectFaults.h"

namespace sim {
namespace {

const char* const kNetcodePluginName = "NetcodePlugin";

}  // namespace

Client::Impl::Impl(Simulation::Impl& simulation, std::string clientName, std::filesystem::path folder)
    : sim(simulation), name(std::move(clientName)), dataFolder(std::move(folder)) {
  std::error_code error;
  std::filesystem::create_directories(dataFolder / "plugins", error);
  const auto handleAddress = reinterpret_cast<uintptr_t>(&hostHandle);
  hostCvarManager = std::make_shared<CVarManagerWrapper>(handleAddress);
  hostGame = std::make_shared<GameWrapper>(handleAddress);
  LoadConfig();
}

Client::Impl::~Impl() {
  while (!plugins.empty()) UnloadNow(plugins.back().get());
  SaveConfigIfChanged();
  SetStrict(true);
}

void Client::Impl::SetStrict(bool on) {
  if (strict.exchange(on) != on) forgivingClients.fetch_add(on ? -1 : 1, std::memory_order_relaxed);
}

Client::Client(std::unique_ptr<Impl> impl) : pimpl(std::move(impl)) { pimpl->self = this; }
Client::~Client() = default;

const std::string& Client::Name() const { return pimpl->name; }
std::filesystem::path Client::DataFolder() const { return pimpl->dataFolder; }
std::filesystem::path Client::PluginsFolder() const { return pimpl->dataFolder / "plugins"; }

void Client::RunCommand(const std::string& line) {
  pimpl->ExecuteCommand(line, /*echo=*/true);
  pimpl->SaveConfigIfChanged();
}

std::vector<std::string> Client::Console() const {
  HostLock lock(pimpl->sim.mutex);
  return pimpl->console;
}

size_t Client::ConsoleSize() const {
  HostLock lock(pimpl->sim.mutex);
  return pimpl->console.size();
}

std::vector<std::string> Client::ConsoleSince(size_t index) const {
  HostLock lock(pimpl->sim.mutex);
  const auto& lines = pimpl->console;
  if (index >= lines.size()) return {};
  return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(index), lines.end());
}

std::optional<std::string> Client::CvarValue(const std::string& name) const {
  Cvar* cvar = pimpl->FindCvar(name);
  if (!cvar) return std::nullopt;
  return pimpl->CvarValueOf(*cvar);
}

bool Client::SetCvar(const std::string& name, const std::string& value) {
  Cvar* cvar = pimpl->FindCvar(name);
  if (!cvar) return false;
  pimpl->SetCvarValue(*cvar, value);
  pimpl->SaveConfigIfChanged();
  return true;
}

bool Client::InstallPluginFile(const std::string& name) { return pimpl->InstallPluginFile(name); }
bool Client::InstallPluginFile(const std::string& name, const std::string& fromModule) {
  return pimpl->InstallPluginFile(name, fromModule);
}
bool Client::LoadPlugin(const std::string& name) { return pimpl->LoadPlugin(name); }
bool Client::UnloadPlugin(const std::string& name) { return pimpl->UnloadPlugin(name); }
bool Client::IsPluginLoaded(const std::string& name) const { return pimpl->FindPlugin(name) != nullptr; }

bool Client::Impl::InstallNetcodeFile() { return InstallPluginFile(kNetcodePluginName, netcodeModule); }

void Client::Impl::ApplyNetcodeAvailability() {
  if (netcode == NetcodeAvailability::Loaded || netcode == NetcodeAvailability::Present) {
    if (InstallNetcodeFile() && netcode == NetcodeAvailability::Loaded) LoadPlugin(kNetcodePluginName);
    return;
  }
  if (FindPlugin(kNetcodePluginName)) UnloadPlugin(kNetcodePluginName);
  std::error_code error;
  std::filesystem::remove(dataFolder / "plugins" / ModuleFileName(kNetcodePluginName), error);
}

void Client::SetNetcodeAvailability(NetcodeAvailability availability) {
  pimpl->netcode = availability;
  pimpl->ApplyNetcodeAvailability();
}

void Client::SetNetcodeModule(const std::string& moduleName) { pimpl->netcodeModule = moduleName; }
const std::string& Client::NetcodeModule() const { return pimpl->netcodeModule; }

std::vector<std::string> Client::HookedEvents() const {
  HostLock lock(pimpl->sim.mutex);
  std::vector<std::string> events;
  for (const auto& hook : pimpl->hooks) events.push_back(hook->event);
  return events;
}

size_t Client::PendingTimers() const {
  HostLock lock(pimpl->sim.mutex);
  return pimpl->timers.size();
}

size_t Client::PendingTasks() const {
  HostLock lock(pimpl->sim.mutex);
  return pimpl->tasks.size();
}

void Client::RunMatch(Match& match) { pimpl->Enter(match, false); }
void Client::JoinMatch(Match& match) { pimpl->Enter(match, true); }

void Client::LeaveMatch() { pimpl->Leave(); }

Match* Client::CurrentMatch() const { return pimpl->replica ? pimpl->replica->match : nullptr; }
bool Client::IsOnline() const { return pimpl->replica && pimpl->replica->online; }

void Client::Control(const std::string& playerName) {
  HostLock lock(pimpl->sim.mutex);
  pimpl->hasController = true;
  pimpl->controlledPlayer = playerName;
  pimpl->controlledId = 0;
  pimpl->UpdateController();
}

void Client::ControlPlayer(int playerId) {
  HostLock lock(pimpl->sim.mutex);
  pimpl->hasController = true;
  pimpl->controlledPlayer.clear();
  pimpl->controlledId = playerId;
  pimpl->UpdateController();
}

void Client::SetNoController() {
  HostLock lock(pimpl->sim.mutex);
  pimpl->hasController = false;
}

void Client::SetViewerTeam(int team) {
  HostLock lock(pimpl->sim.mutex);
  pimpl->viewerTeam = team;
  pimpl->UpdateController();
}

void Client::SetNullObject(WorldObject object, bool null) {
  HostLock lock(pimpl->sim.mutex);
  if (null)
    pimpl->nullObjects.insert(object);
  else
    pimpl->nullObjects.erase(object);
  pimpl->SyncReplica();
}

bool Client::IsNullObject(WorldObject object) const { return pimpl->nullObjects.count(object) != 0; }

std::optional<bool> Client::CarHidden(const std::string& playerName) const {
  PriObject* pri = pimpl->FindPri(playerName);
  if (!pri || !pri->car) return std::nullopt;
  return pri->car->hidden;
}

std::optional<bool> Client::CarHidden(int playerId) const {
  PriObject* pri = pimpl->FindPri(playerId);
  if (!pri || !pri->car) return std::nullopt;
  return pri->car->hidden;
}

uintptr_t Client::PriAddress(const std::string& playerName) const {
  PriObject* pri = pimpl->FindPri(playerName);
  return pri ? pri->Address() : 0;
}

uintptr_t Client::PriAddress(int playerId) const {
  PriObject* pri = pimpl->FindPri(playerId);
  return pri ? pri->Address() : 0;
}

uintptr_t Client::DestroyCarKeepingItsAddress(const std::string& playerName) {
  return pimpl->DestroyCarKeepingItsAddress(playerName);
}

void Client::RaiseVehicleInput() { pimpl->RaiseEvent(kVehicleInputEvent); }
void Client::RaiseEvent(const std::string& eventName) { pimpl->RaiseEvent(eventName); }

std::shared_ptr<CVarManagerWrapper> Client::CvarManager() { return pimpl->hostCvarManager; }
std::shared_ptr<GameWrapper> Client::Game() { return pimpl->hostGame; }

std::optional<CvarInfo> Client::DescribeCvar(const std::string& name) const {
  HostLock lock(pimpl->sim.mutex);
  Cvar* cvar = pimpl->FindCvar(name);
  if (!cvar) return std::nullopt;
  return CvarInfo{{static_cast<const CvarSettings&>(*cvar)}, cvar->callbacks.size(), cvar->boundInts.size()};
}

std::vector<std::string> Client::CommandHistory() const {
  HostLock lock(pimpl->sim.mutex);
  return pimpl->commandHistory;
}

size_t Client::EscapedExceptions() const { return pimpl->escapedExceptions; }
size_t Client::Faults() const { return pimpl->faults; }
void Client::SetStrict(bool strict) { pimpl->SetStrict(strict); }
bool Client::IsStrict() const { return pimpl->strict; }

HostRegistrations Client::Registrations() const {
  HostLock lock(pimpl->sim.mutex);
  HostRegistrations counts;
  counts.hooks = pimpl->hooks.size();
  for (const auto& [name, cvar] : pimpl->cvars) {
    counts.cvarCallbacks += cvar->callbacks.size();
    counts.boundInts += cvar->boundInts.size();
  }
  counts.timers = pimpl->timers.size();
  counts.tasks = pimpl->tasks.size();
  counts.netListeners = pimpl->netListeners.size();
  return counts;
}

std::vector<std::string> Client::LoadedPlugins() const {
  HostLock lock(pimpl->sim.mutex);
  std::vector<std::string> names;
  for (const auto& record : pimpl->plugins) names.push_back(record->name);
  return names;
}

void Client::SaveConfig() { pimpl->SaveConfig(); }

}  // namespace sim
