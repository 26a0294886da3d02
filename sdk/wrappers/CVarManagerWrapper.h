#pragma once

#include <string>

#include "../SdkApi.h"
#include "CVarWrapper.h"

// The host's console: variables, commands and the log.
class CORVANE_SDK_API CVarManagerWrapper {
 public:
  explicit CVarManagerWrapper(uintptr_t mem = 0);

  CVarWrapper registerCvar(std::string name, std::string defaultValue, std::string description = "",
                           bool searchable = true, bool hasMin = false, float min = 0.0f, bool hasMax = false,
                           float max = 0.0f, bool saveToCfg = true);
  // An empty wrapper when no variable has that name.
  CVarWrapper getCvar(std::string name);
  void executeCommand(std::string command, bool log = true);
  void log(std::string text);

  uintptr_t memory_address;
};
