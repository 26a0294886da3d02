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

Client::Client(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) { impl_->self = this; }
Client::~Client() = default;

const std::string& Client::Name() const { return impl_->name; }
std::filesystem::path Client::DataFolder() const { return impl_->dataFolder; }
std::filesystem::path Client::PluginsFolder() const { return impl_->dataFolder / "plugins"; }

void Client::RunCommand(const std::string& line) {
  impl_->ExecuteCommand(line, /*echo=*/true);
  impl_->SaveConfigIfChanged();
}

std::vector<std::string> Client::Console() const {
  HostLock lock(impl_->sim.mutex);
  return impl_->console;
}

size_t Client::ConsoleSize() const {
  HostLock lock(impl_->sim.mutex);
  return impl_->console.size();
}

std::vector<std::string> Client::ConsoleSince(size_t index) const {
  HostLock lock(impl_->sim.mutex);
  const auto& lines = impl_->console;
  if (index >= lines.size()) return {};
  return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(index), lines.end());
}

std::optional<std::string> Client::CvarValue(const std::string& name) const {
  Cvar* cvar = impl_->FindCvar(name);
  if (!cvar) return std::nullopt;
  return impl_->CvarValueOf(*cvar);
}

bool Client::SetCvar(const std::string& name, const std::string& value) {
  Cvar* cvar = impl_->FindCvar(name);
  if (!cvar) return false;
  impl_->SetCvarValue(*cvar, value);
  impl_->SaveConfigIfChanged();
  return true;
}

bool Client::InstallPluginFile(const std::string& name) { return impl_->InstallPluginFile(name); }
bool Client::InstallPluginFile(const std::string& name, const std::string& fromModule) {
  return impl_->InstallPluginFile(name, fromModule);
}
bool Client::LoadPlugin(const std::string& name) { return impl_->LoadPlugin(name); }
bool Client::UnloadPlugin(const std::string& name) { return impl_->UnloadPlugin(name); }
bool Client::IsPluginLoaded(const std::string& name) const { return impl_->FindPlugin(name) != nullptr; }

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
  impl_->netcode = availability;
  impl_->ApplyNetcodeAvailability();
}

void Client::SetNetcodeModule(const std::string& moduleName) { impl_->netcodeModule = moduleName; }
const std::string& Client::NetcodeModule() const { return impl_->netcodeModule; }

std::vector<std::string> Client::HookedEvents() const {
  HostLock lock(impl_->sim.mutex);
  std::vector<std::string> events;
  for (const auto& hook : impl_->hooks) events.push_back(hook->event);
  return events;
}

size_t Client::PendingTimers() const {
  HostLock lock(impl_->sim.mutex);
  return impl_->timers.size();
}

size_t Client::PendingTasks() const {
  HostLock lock(impl_->sim.mutex);
  return impl_->tasks.size();
}

void Client::RunMatch(Match& match) { impl_->Enter(match, false); }
void Client::JoinMatch(Match& match) { impl_->Enter(match, true); }

void Client::LeaveMatch() { impl_->Leave(); }

Match* Client::CurrentMatch() const { return impl_->replica ? impl_->replica->match : nullptr; }
bool Client::IsOnline() const { return impl_->replica && impl_->replica->online; }

void Client::Control(const std::string& playerName) {
  HostLock lock(impl_->sim.mutex);
  impl_->hasController = true;
  impl_->controlledPlayer = playerName;
  impl_->controlledId = 0;
  impl_->UpdateController();
}

void Client::ControlPlayer(int playerId) {
  HostLock lock(impl_->sim.mutex);
  impl_->hasController = true;
  impl_->controlledPlayer.clear();
  impl_->controlledId = playerId;
  impl_->UpdateController();
}

void Client::SetNoController() {
  HostLock lock(impl_->sim.mutex);
  impl_->hasController = false;
}

void Client::SetViewerTeam(int team) {
  HostLock lock(impl_->sim.mutex);
  impl_->viewerTeam = team;
  impl_->UpdateController();
}

void Client::SetNullObject(WorldObject object, bool null) {
  HostLock lock(impl_->sim.mutex);
  if (null)
    impl_->nullObjects.insert(object);
  else
    impl_->nullObjects.erase(object);
  impl_->SyncReplica();
}

bool Client::IsNullObject(WorldObject object) const { return impl_->nullObjects.count(object) != 0; }

std::optional<bool> Client::CarHidden(const std::string& playerName) const {
  PriObject* pri = impl_->FindPri(playerName);
  if (!pri || !pri->car) return std::nullopt;
  return pri->car->hidden;
}

std::optional<bool> Client::CarHidden(int playerId) const {
  PriObject* pri = impl_->FindPri(playerId);
  if (!pri || !pri->car) return std::nullopt;
  return pri->car->hidden;
}

uintptr_t Client::PriAddress(const std::string& playerName) const {
  PriObject* pri = impl_->FindPri(playerName);
  return pri ? pri->Address() : 0;
}

uintptr_t Client::PriAddress(int playerId) const {
  PriObject* pri = impl_->FindPri(playerId);
  return pri ? pri->Address() : 0;
}

uintptr_t Client::DestroyCarKeepingItsAddress(const std::string& playerName) {
  return impl_->DestroyCarKeepingItsAddress(playerName);
}

void Client::RaiseVehicleInput() { impl_->RaiseEvent(kVehicleInputEvent); }
void Client::RaiseEvent(const std::string& eventName) { impl_->RaiseEvent(eventName); }

std::shared_ptr<CVarManagerWrapper> Client::CvarManager() { return impl_->hostCvarManager; }
std::shared_ptr<GameWrapper> Client::Game() { return impl_->hostGame; }

std::optional<CvarInfo> Client::DescribeCvar(const std::string& name) const {
  HostLock lock(impl_->sim.mutex);
  Cvar* cvar = impl_->FindCvar(name);
  if (!cvar) return std::nullopt;
  return CvarInfo{{static_cast<const CvarSettings&>(*cvar)}, cvar->callbacks.size(), cvar->boundInts.size()};
}

std::vector<std::string> Client::CommandHistory() const {
  HostLock lock(impl_->sim.mutex);
  return impl_->commandHistory;
}

size_t Client::EscapedExceptions() const { return impl_->escapedExceptions; }
size_t Client::Faults() const { return impl_->faults; }
void Client::SetStrict(bool strict) { impl_->SetStrict(strict); }
bool Client::IsStrict() const { return impl_->strict; }

HostRegistrations Client::Registrations() const {
  HostLock lock(impl_->sim.mutex);
  HostRegistrations counts;
  counts.hooks = impl_->hooks.size();
  for (const auto& [name, cvar] : impl_->cvars) {
    counts.cvarCallbacks += cvar->callbacks.size();
    counts.boundInts += cvar->boundInts.size();
  }
  counts.timers = impl_->timers.size();
  counts.tasks = impl_->tasks.size();
  counts.netListeners = impl_->netListeners.size();
  return counts;
}

std::vector<std::string> Client::LoadedPlugins() const {
  HostLock lock(impl_->sim.mutex);
  std::vector<std::string> names;
  for (const auto& record : impl_->plugins) names.push_back(record->name);
  return names;
}

void Client::SaveConfig() { impl_->SaveConfig(); }

}  // namespace sim
