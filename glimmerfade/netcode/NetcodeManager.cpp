#include "NetcodeManager.h"

#include <ctime>
#include <utility>

namespace glimmerfade {

NetcodeManager::NetcodeManager(std::shared_ptr<CVarManagerWrapper> cvars, std::shared_ptr<GameWrapper> game,
                               PluginDescriptor info,
                               std::function<void(const std::string&, PriWrapper)> onMessage)
    : cvarManager(std::move(cvars)),
      gameWrapper(std::move(game)),
      pluginInfo(info),
      messageCallback(std::move(onMessage)) {
  NetcodeLoadLoop(true);
}

// Releasing the guard first disarms every timer and callback still held by the host.
NetcodeManager::~NetcodeManager() = default;

bool NetcodeManager::CheckNetcodeLoaded(const char* functionName) {
  if (netcodeLoaded) return true;
  LogPlain(std::string("NetcodeManager function (") + functionName +
           ") failed. NetcodePlugin is not loaded.");
  return false;
}

bool NetcodeManager::LevelAbove(int level) {
  if (!logLevel) return false;
  CVarWrapper variable = cvarManager->getCvar(kNetcodeLogLevelCvar);
  if (!variable.IsNull()) lastLevel = variable.getIntValue();
  return lastLevel > level;
}

void NetcodeManager::LogPlain(const std::string& text) { cvarManager->log(text); }

void NetcodeManager::LogFromLevel1(const std::string& text) {
  if (LevelAbove(0)) cvarManager->log("(A: " + std::to_string(clock()) + ")   " + text);
}

void NetcodeManager::LogFromLevel3(const std::string& text) {
  if (LevelAbove(2)) cvarManager->log("(C: " + std::to_string(clock()) + ")   " + text);
}

}  // namespace glimmerfade
