#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "pluginsdk.h"

// One message as read from "NETCODE_Message_In".
struct NetcodeMessage {
  std::string pluginClassName;
  PriWrapper sender{0};
  std::string messageContent;
};

// Bridge to NetcodePlugin, the peer-messaging plug-in: finds, loads or installs
// it, binds its console variables, and carries messages in both directions.
class NetcodeManager {
 public:
  NetcodeManager(std::shared_ptr<CVarManagerWrapper> cvarManager, std::shared_ptr<GameWrapper> gameWrapper,
                 PluginDescriptor pluginInfo, std::function<void(const std::string&, PriWrapper)> messageCallback);
  ~NetcodeManager();

  void NetcodeLoadLoop(bool reset);
  bool NetcodePluginFileExists();
  void OnNetcodePluginDetected();
  bool CheckNetcodeLoaded(const char* functionName);

  void SendNewMessage(const std::string& message);
  void ReceiveMessage();
  NetcodeMessage ParseMessage(const std::string& text);
  std::string ExtractBracketed(const std::string& text, size_t position, size_t& end);
  void LogParsedMessage(NetcodeMessage message);

  bool IsReady() const { return netcodeLoaded; }

 private:
  std::shared_ptr<int> logLevel;
  std::shared_ptr<CVarManagerWrapper> cvarManager;
  std::shared_ptr<GameWrapper> gameWrapper;
  PluginDescriptor pluginInfo;
  std::function<void(const std::string&, PriWrapper)> messageCallback;
  bool netcodeLoaded = false;
};
