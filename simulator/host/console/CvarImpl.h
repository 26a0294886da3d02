#pragma once

// One console variable of a client, the object a CVarWrapper's address points at.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/base/HostValues.h"
#include "wrappers/CVarWrapper.h"

namespace sim {

class Console;
struct PluginRecord;

struct CvarCallback {
  PluginRecord* owner = nullptr;  // nullptr: registered by the host or a test
  std::function<void(std::string, CVarWrapper)> callback;
  std::atomic<bool> alive{true};
};

struct BoundInt {
  PluginRecord* owner = nullptr;
  std::shared_ptr<int> target;
};

struct Cvar : CvarSettings {
  Console* console = nullptr;  // whose console holds it: the wrappers reach it through this
  std::vector<std::shared_ptr<CvarCallback>> callbacks;
  std::vector<BoundInt> boundInts;
};

// Value rules shared by the wrapper and the console.
int CvarIntValue(const std::string& value);
float CvarFloatValue(const std::string& value);
// The text stored for a new value: numbers outside the variable's bounds are
// replaced by the bound; anything else is kept as given.
std::string ClampToBounds(const Cvar& cvar, std::string value);

}  // namespace sim
