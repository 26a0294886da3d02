#include "NetcodeManager.h"

#include <ctime>
#include <utility>

NetcodeManager::NetcodeManager(std::shared_ptr<CVarManagerWrapper> cvarManager_,
                               std::shared_ptr<GameWrapper> gameWrapper_, PluginDescriptor pluginInfo_,
                               std::function<void(const std::string&, PriWrapper)> messageCallback_)
    : cvarManager(std::move(cvarManager_)),
      gameWrapper(std::move(gameWrapper_)),
      pluginInfo(pluginInfo_),
      messageCallback(std::move(messageCallback_)) {
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

void NetcodeManager::LogPlain(const std::string& text) { cvarManager->log(text); }

void NetcodeManager::LogA(const std::string& text) {
  if (LevelAbove(0)) cvarManager->log("(A: " + std::to_string(clock()) + ")   " + text);
}

void NetcodeManager::LogC(const std::string& text) {
  if (LevelAbove(2)) cvarManager->log("(C: " + std::to_string(clock()) + ")   " + text);
}
