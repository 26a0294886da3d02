// Restarting a client's game: everything the running game held is dropped,
// and the game starts again over its kept or an emptied data folder.

#include <algorithm>
#include <iterator>
#include <system_error>

#include "host/client/ClientImpl.h"
#include "host/settings/SettingsWindow.h"

namespace sim {

// Game thread only, outside every plug-in call of this client.
bool Client::Impl::Restart(bool keepData) {
  if (!sim.OnGameThread() || busyDepth > 0) return false;
  while (!plugins.empty()) UnloadNow(plugins.back().get());
  if (keepData) SaveConfig();
  sim.OnRenderThread([this] { settingsWindow.reset(); });
  settingsContextWithheld = false;

  DropEverything();
  std::error_code error;
  if (!keepData) std::filesystem::remove_all(dataFolder, error);
  std::filesystem::create_directories(dataFolder / "plugins", error);
  LoadConfig();
  ApplyNetcodeAvailability();
  return true;
}

// What the running game held, once its plug-ins are unloaded. Callbacks and
// bound integers are let go of after the lock, as an unload lets go of them:
// what the host or a test registered may still hold anything.
void Client::Impl::DropEverything() {
  std::vector<std::shared_ptr<CvarCallback>> callbacks;
  std::vector<BoundInt> boundInts;
  std::vector<std::shared_ptr<HookEntry>> droppedHooks;
  std::map<std::pair<double, uint64_t>, TimerEntry> droppedTimers;
  std::deque<TaskEntry> droppedTasks;
  std::vector<std::shared_ptr<NetListenerEntry>> droppedListeners;
  HostLock lock(sim.mutex);
  for (auto& [cvarName, cvar] : cvars) {
    for (auto& callback : cvar->callbacks) callback->alive = false;
    std::move(cvar->callbacks.begin(), cvar->callbacks.end(), std::back_inserter(callbacks));
    std::move(cvar->boundInts.begin(), cvar->boundInts.end(), std::back_inserter(boundInts));
    cvar->callbacks.clear();
    cvar->boundInts.clear();
    retiredCvars.push_back(std::move(cvar));
  }
  cvars.clear();
  savedValues.clear();
  configDirty = false;
  for (auto& hook : hooks) hook->alive = false;
  droppedHooks.swap(hooks);
  droppedTimers.swap(timers);
  droppedTasks.swap(tasks);
  for (auto& listener : netListeners) listener->alive = false;
  droppedListeners.swap(netListeners);
  inbox.clear();
  handedCommands.clear();
  commandsHanded = false;
  deferredUnloads.clear();
  unloadsDeferred = false;
  installPending = false;

  replica.reset();
  hasController = true;
  controlledPlayer.clear();
  controlledId = 0;
  viewerTeam.reset();
  nullObjects.clear();
  UpdateController();
}

}  // namespace sim

bool sim::Client::Restart(bool keepData) { return pimpl->Restart(keepData); }
