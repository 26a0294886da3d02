// Restarting a client's game: everything the running game held is dropped,
// and the game starts again over its kept or an emptied data folder.

#include <system_error>

#include "host/client/ClientImpl.h"

namespace sim {

// Game thread only, outside every plug-in call of this client.
bool Client::Impl::Restart(bool keepData) {
  if (!sim.OnGameThread() || plugins.Busy()) return false;
  plugins.UnloadAll();
  if (keepData) console.SaveConfig();
  sim.OnRenderThread([this] { settings.DropWindow(); });
  settings.WithholdContext(false);

  DropEverything();
  std::error_code error;
  if (!keepData) std::filesystem::remove_all(dataFolder, error);
  std::filesystem::create_directories(dataFolder / "plugins", error);
  console.LoadConfig();
  ApplyNetcodeAvailability();
  return true;
}

// What the running game held, once its plug-ins are unloaded. Callbacks and
// bound integers are let go of after the lock, as an unload lets go of them:
// what the host or a test registered may still hold anything.
void Client::Impl::DropEverything() {
  Dropped dropped;
  HostLock lock(sim.mutex);
  console.TakeAll(dropped);
  loop.TakeAll(dropped);
  plugins.ForgetDeferredUnloads();
  installPending = false;
  world.Reset();
}

}  // namespace sim

bool sim::Client::Restart(bool keepData) { return pimpl->Restart(keepData); }
