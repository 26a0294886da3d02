// Restarting a client's game: everything the running game held is dropped,
// and the game starts again over its kept or an emptied data folder.

#include <system_error>

#include "host/client/GameClient.h"

namespace sim {

bool GameClient::Restart(bool keepData) {
  if (!world.OnGameThread() || plugins.Busy()) {
    console.Log(std::string("Cannot restart the game ") +
                (world.OnGameThread() ? "while plug-in code runs" : "off the game thread"));
    return false;
  }
  plugins.UnloadAll();
  if (keepData) console.SaveConfig();
  world.OnRenderThread([this] { settings.DropWindow(); });
  settings.WithholdContext(false);

  DropEverything();
  if (!MakeDataFolder(!keepData)) return false;
  console.LoadConfig();
  ApplyNetcodeAvailability();
  return true;
}

bool GameClient::MakeDataFolder(bool emptied) {
  std::error_code error;
  if (emptied) std::filesystem::remove_all(dataFolder, error);
  const char* failed = error ? "empty" : "make";
  if (!error) std::filesystem::create_directories(dataFolder / "plugins", error);
  if (!error) return true;
  console.Log(std::string("Cannot ") + failed + " the data folder " + dataFolder.string() + ": " +
              error.message());
  return false;
}

// What the running game held, once its plug-ins are unloaded. Callbacks and
// bound integers are let go of after the lock, as an unload lets go of them:
// what the host or a test registered may still hold anything.
void GameClient::DropEverything() {
  Dropped dropped;
  HostLock lock(world.mutex);
  console.TakeAll(dropped);
  loop.TakeAll(dropped);
  plugins.ForgetDeferredUnloads();
  installPending = false;
  match.Reset();
}

}  // namespace sim
