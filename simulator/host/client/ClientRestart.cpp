// Restarting a client's game: everything the running game held is dropped,
// and the game starts again over its kept or an emptied data folder.

#include <system_error>

#include "host/client/ClientImpl.h"
#include "host/settings/SettingsWindow.h"

namespace sim {

bool Client::Impl::Restart(bool keepData) {
  if (busyDepth > 0) return false;
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

// What the running game held, once its plug-ins are unloaded.
void Client::Impl::DropEverything() {
  HostLock lock(sim.mutex);
  for (auto& [cvarName, cvar] : cvars) {
    cvar->callbacks.clear();
    cvar->boundInts.clear();
    retiredCvars.push_back(std::move(cvar));
  }
  cvars.clear();
  savedValues.clear();
  configDirty = false;
  hooks.clear();
  timers.clear();
  tasks.clear();
  netListeners.clear();
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
