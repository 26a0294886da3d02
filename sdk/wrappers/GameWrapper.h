#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "../SdkApi.h"
#include "GameEventWrapper.h"
#include "PlayerControllerWrapper.h"
#include "PluginManagerWrapper.h"

// The plug-in's access to the game and to the host's game thread.
class CORVANE_SDK_API GameWrapper {
 public:
  explicit GameWrapper(uintptr_t mem = 0);

  bool IsInGame();
  bool IsInOnlineGame();
  ServerWrapper GetGameEventAsServer();
  ServerWrapper GetOnlineGame();
  PlayerControllerWrapper GetPlayerController();

  // The callback runs after each run of the named game function.
  void HookEventPost(std::string eventName, std::function<void(std::string eventName)> callback);
  void UnhookEventPost(std::string eventName);

  // Runs the function on the game thread, at the next turn of the game loop.
  void Execute(std::function<void(GameWrapper*)> theLambda);
  // Runs the function once on the game thread after the delay in seconds.
  void SetTimeout(std::function<void(GameWrapper*)> theLambda, float time);

  PluginManagerWrapper GetPluginManager();
  std::filesystem::path GetCorvanePath();

  uintptr_t memory_address;
};
