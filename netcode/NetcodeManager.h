#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "LifetimeGuard.h"
#include "pluginsdk.h"

// NetcodePlugin's console variables.
inline constexpr char kNetcodeLogLevelCvar[] = "NETCODE_Log_Level";
inline constexpr char kNetcodeMessageInCvar[] = "NETCODE_Message_In";
inline constexpr char kNetcodeMessageOutCvar[] = "NETCODE_Message_Out";

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
                 PluginDescriptor pluginInfo,
                 std::function<void(const std::string&, PriWrapper)> messageCallback);
  ~NetcodeManager();
  // Timers and callbacks refer to this object; a copy would not be known to them.
  NetcodeManager(const NetcodeManager&) = delete;
  NetcodeManager& operator=(const NetcodeManager&) = delete;

  // Detection (NetcodeDetection.cpp)
  void NetcodeLoadLoop(bool reset);
  bool NetcodePluginFileExists();
  void OnNetcodePluginDetected();
  bool CheckNetcodeLoaded(const char* functionName);

  // Messages (NetcodeMessages.cpp)
  void SendNewMessage(const std::string& message);
  void ReceiveMessage();
  NetcodeMessage ParseMessage(const std::string& text);
  std::string ExtractBracketed(const std::string& text, size_t position, size_t& end);
  void LogParsedMessage(NetcodeMessage message);

 private:
  bool IsNetcodePluginListed();
  void ScheduleNextPass();
  bool IsPlayerOfCurrentGame(const PriWrapper& player);
  std::string SenderName(const PriWrapper& sender);

  // Console lines: plain always, A lines from level 1, C lines from level 3.
  void LogPlain(const std::string& text);
  void LogA(const std::string& text);
  void LogC(const std::string& text);
  bool LevelAbove(int level) const { return logLevel && *logLevel > level; }

  std::shared_ptr<int> logLevel;
  std::shared_ptr<CVarManagerWrapper> cvarManager;
  std::shared_ptr<GameWrapper> gameWrapper;
  PluginDescriptor pluginInfo;
  std::function<void(const std::string&, PriWrapper)> messageCallback;
  bool netcodeLoaded = false;

  // The detection timer and the message callback go through it.
  LifetimeGuard<NetcodeManager> guard{*this};
};
