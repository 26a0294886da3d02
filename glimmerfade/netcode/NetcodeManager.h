#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "Envelope.h"
#include "LifetimeGuard.h"
#include "pluginsdk.h"

namespace glimmerfade {

// NetcodePlugin's console variables.
inline constexpr char kNetcodeLogLevelCvar[] = "NETCODE_Log_Level";
inline constexpr char kNetcodeMessageInCvar[] = "NETCODE_Message_In";
inline constexpr char kNetcodeMessageOutCvar[] = "NETCODE_Message_Out";

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

  // Wraps message in the envelope and writes it into "NETCODE_Message_Out"
  // (NetcodeMessages.cpp). Messages for this plug-in arrive through the message
  // callback.
  void SendNewMessage(const std::string& message);
  // True once NetcodePlugin was found with all three variables: from then on
  // messages go out and come in.
  bool IsReady() const { return netcodeLoaded; }

 private:
  // Detection (NetcodeDetection.cpp)
  void NetcodeLoadLoop(bool reset);
  bool NetcodePluginFileExists();
  void OnNetcodePluginDetected();
  bool CheckNetcodeLoaded(const char* functionName);
  bool IsNetcodePluginListed();
  void ScheduleNextPass();
  bool IsPlayerOfCurrentGame(const PriWrapper& player);
  std::string SenderName(const PriWrapper& sender);

  // Messages (NetcodeMessages.cpp)
  void ReceiveMessage();
  void LogParsedMessage(const NetcodeMessage& message);

  // Console lines: plain ones always; "(A: CLOCK)" ones while the log level is 1
  // or more, "(C: CLOCK)" ones while it is 3 or more.
  void LogPlain(const std::string& text);
  void LogFromLevel1(const std::string& text);
  void LogFromLevel3(const std::string& text);
  // Whether "NETCODE_Log_Level" is above level, read through the host when a
  // line may be written; false until detection has bound the level.
  bool LevelAbove(int level);

  // Bound to "NETCODE_Log_Level" on detection. The host writes it on whichever
  // thread sets the variable, so the bridge, which logs on the game thread,
  // never reads it: it reads the variable itself.
  std::shared_ptr<int> logLevel;
  // The level read last, kept should the variable go away; game thread only.
  int lastLevel = 1;
  std::shared_ptr<CVarManagerWrapper> cvarManager;
  std::shared_ptr<GameWrapper> gameWrapper;
  PluginDescriptor pluginInfo;
  std::function<void(const std::string&, PriWrapper)> messageCallback;
  bool netcodeLoaded = false;

  // The detection timer and the message callback go through it.
  LifetimeGuard<NetcodeManager> guard{*this};
};

}  // namespace glimmerfade
