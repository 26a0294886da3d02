#pragma once

#include <functional>
#include <memory>
#include <string>

#include "../SdkApi.h"

// A console variable of the host. Values are kept as text.
class CORVANE_SDK_API CVarWrapper {
 public:
  explicit CVarWrapper(uintptr_t mem = 0);

  std::string getCVarName() const;
  std::string getDescription() const;
  std::string getStringValue() const;
  int getIntValue() const;
  float getFloatValue() const;
  bool getBoolValue() const;

  // Runs the variable's on-change callbacks before returning. Harmless on an
  // empty wrapper.
  void setValue(std::string value);
  void setValue(int value);

  void addOnValueChanged(std::function<void(std::string oldValue, CVarWrapper cvar)> callback);
  // Keeps *var equal to the variable's integer value from now on.
  void bindTo(std::shared_ptr<int> var);

  bool IsNull() const;
  explicit operator bool() const { return !IsNull(); }

  uintptr_t memory_address;
};
