// Finding NetcodePlugin: look among the loaded plug-ins, otherwise have the host
// load or install it, and look again every 2 seconds, 19 passes at most.
#include <cstring>
#include <filesystem>
#include <system_error>

#include "NetcodeManager.h"

namespace glimmerfade {

namespace {

const char* const kNetcodePluginClass = "NetcodePlugin";
// Passes that look for NetcodePlugin; the pass after the last of them only
// writes the guard line, and the run ends.
const int kLookingPasses = 19;
const float kRetrySeconds = 2.0f;

#if defined(_WIN32)
const char* const kNetcodePluginFile = "NetcodePlugin.dll";
#else
const char* const kNetcodePluginFile = "NetcodePlugin.so";
#endif

}  // namespace

void NetcodeManager::NetcodeLoadLoop(bool reset) {
  // Counts the passes of the current run; every bridge of the module shares it.
  static int loadAttempts = 0;

  if (CheckNetcodeLoaded("NetcodeManager::NetcodeLoadLoop")) return;
  loadAttempts = reset ? 1 : loadAttempts + 1;
  if (loadAttempts > kLookingPasses) return;

  if (IsNetcodePluginListed()) {
    OnNetcodePluginDetected();
    return;
  }
  const char* command = NetcodePluginFileExists() ? "plugin load NetcodePlugin" : "cpm_install 166";
  cvarManager->executeCommand(command, false);
  ScheduleNextPass();
}

// Exact, case-sensitive match of the whole class name of each loaded plug-in.
bool NetcodeManager::IsNetcodePluginListed() {
  PluginManagerWrapper pluginManager = gameWrapper->GetPluginManager();
  if (pluginManager.memory_address == 0) return false;
  auto* loaded = pluginManager.GetLoadedPlugins();
  if (!loaded) return false;
  for (const auto& plugin : *loaded) {
    if (!plugin || !plugin->_details || !plugin->_details->pluginClass) continue;
    if (std::strcmp(plugin->_details->pluginClass, kNetcodePluginClass) == 0) return true;
  }
  return false;
}

// A failing query (e.g. a symlink loop in the path) counts as "absent": an
// exception here would leave the plug-in's load hook.
bool NetcodeManager::NetcodePluginFileExists() {
  std::filesystem::path file = gameWrapper->GetCorvanePath() / "plugins" / kNetcodePluginFile;
  std::error_code error;
  bool exists = std::filesystem::exists(file, error);
  return exists && !error;
}

void NetcodeManager::ScheduleNextPass() {
  gameWrapper->SetTimeout(
      guard.Bind([](NetcodeManager& bridge, GameWrapper*) { bridge.NetcodeLoadLoop(false); }), kRetrySeconds);
}

void NetcodeManager::OnNetcodePluginDetected() {
  const std::string notFound = "NetcodePlugin is loaded, but could not find cvar ";

  CVarWrapper levelVar = cvarManager->getCvar(kNetcodeLogLevelCvar);
  if (levelVar.IsNull()) {
    LogPlain(notFound + kNetcodeLogLevelCvar);
    return;
  }
  logLevel = std::make_shared<int>(1);
  levelVar.bindTo(logLevel);

  CVarWrapper messageIn = cvarManager->getCvar(kNetcodeMessageInCvar);
  CVarWrapper messageOut = cvarManager->getCvar(kNetcodeMessageOutCvar);
  if (messageIn.IsNull()) {
    LogFromLevel1(notFound + kNetcodeMessageInCvar);
    return;
  }
  if (messageOut.IsNull()) {
    LogFromLevel1(notFound + kNetcodeMessageOutCvar);
    return;
  }

  messageIn.addOnValueChanged(
      guard.Bind([](NetcodeManager& bridge, const std::string&, CVarWrapper) { bridge.ReceiveMessage(); }));
  netcodeLoaded = true;
  LogFromLevel1("NetcodeManager has successfully detected that NetcodePlugin is loaded. Ready to go.");
}

}  // namespace glimmerfade
