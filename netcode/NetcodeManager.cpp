// Placeholder bodies; the detection and messaging logic replaces them.
#include "NetcodeManager.h"

NetcodeManager::NetcodeManager(std::shared_ptr<CVarManagerWrapper> cvarManager_,
                               std::shared_ptr<GameWrapper> gameWrapper_, PluginDescriptor pluginInfo_,
                               std::function<void(const std::string&, PriWrapper)> messageCallback_)
    : cvarManager(std::move(cvarManager_)),
      gameWrapper(std::move(gameWrapper_)),
      pluginInfo(pluginInfo_),
      messageCallback(std::move(messageCallback_)) {}

NetcodeManager::~NetcodeManager() = default;
void NetcodeManager::NetcodeLoadLoop(bool) {}
bool NetcodeManager::NetcodePluginFileExists() { return false; }
void NetcodeManager::OnNetcodePluginDetected() {}
bool NetcodeManager::CheckNetcodeLoaded(const char*) { return netcodeLoaded; }
void NetcodeManager::SendNewMessage(const std::string&) {}
void NetcodeManager::ReceiveMessage() {}
NetcodeMessage NetcodeManager::ParseMessage(const std::string&) { return {}; }
std::string NetcodeManager::ExtractBracketed(const std::string&, size_t, size_t&) { return {}; }
void NetcodeManager::LogParsedMessage(NetcodeMessage) {}
