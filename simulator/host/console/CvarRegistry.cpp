// A client's console variables: registering, setting and clamping values,
// on-change callbacks and bound integers, and the saved values in config.cfg.

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <locale>
#include <sstream>

#include "host/console/ConfigFile.h"
#include "host/console/Console.h"

namespace sim {
namespace {

// The whole text as a finite number (surrounding white space allowed).
bool ParseNumber(const std::string& value, double& number) {
  const char* begin = value.c_str();
  char* end = nullptr;
  number = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(number)) return false;
  while (*end != '\0' && std::isspace(static_cast<unsigned char>(*end))) ++end;
  return *end == '\0';
}

std::string FormatBound(float bound) {
  if (std::floor(bound) == bound && std::fabs(bound) < 1e9f) return std::to_string(static_cast<long>(bound));
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text << std::setprecision(9) << bound;
  return text.str();
}

}  // namespace

int CvarIntValue(const std::string& value) {
  const char* begin = value.c_str();
  char* end = nullptr;
  double number = std::strtod(begin, &end);
  if (end == begin || std::isnan(number)) return 0;
  if (number >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (number <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(number);
}

float CvarFloatValue(const std::string& value) {
  const char* begin = value.c_str();
  char* end = nullptr;
  double number = std::strtod(begin, &end);
  return end == begin ? 0.0f : static_cast<float>(number);
}

std::string ClampToBounds(const Cvar& cvar, std::string value) {
  double number = 0;
  if (!(cvar.hasMin || cvar.hasMax) || !ParseNumber(value, number)) return value;
  if (cvar.hasMin && number < cvar.min) return FormatBound(cvar.min);
  if (cvar.hasMax && number > cvar.max) return FormatBound(cvar.max);
  return value;
}

Cvar* Console::FindCvar(const std::string& cvarName) {
  HostLock lock(world.mutex);
  auto found = cvars.find(cvarName);
  return found == cvars.end() ? nullptr : found->second.get();
}

Cvar& Console::RegisterCvar(const std::string& cvarName, const std::string& defaultValue,
                            const std::string& description, bool searchable, bool hasMin, float min,
                            bool hasMax, float max, bool saved) {
  HostLock lock(world.mutex);
  std::unique_ptr<Cvar>& slot = cvars[cvarName];
  if (!slot) {
    slot = std::make_unique<Cvar>();
    slot->console = this;
    slot->name = cvarName;
    slot->defaultValue = defaultValue;
    slot->description = description;
    slot->searchable = searchable;
    slot->hasMin = hasMin;
    slot->min = min;
    slot->hasMax = hasMax;
    slot->max = max;
    slot->saved = saved;
    slot->value = ClampToBounds(*slot, defaultValue);
    if (saved) configDirty = true;
  }
  return *slot;
}

void Console::SetCvarValue(Cvar& cvar, std::string value) {
  Plugins::BusyScope busy(plugins);  // an unload asked for by a callback waits until all have run
  std::string oldValue;
  // Callbacks added or removed while these run take effect from the next change.
  std::vector<std::shared_ptr<CvarCallback>> snapshot;
  {
    HostLock lock(world.mutex);
    oldValue = std::move(cvar.value);
    cvar.value = ClampToBounds(cvar, std::move(value));
    if (cvar.saved && cvar.value != oldValue) configDirty = true;
    if (!cvar.boundInts.empty()) {
      const int asInt = CvarIntValue(cvar.value);
      for (BoundInt& bound : cvar.boundInts) *bound.target = asInt;
    }
    snapshot = cvar.callbacks;
  }
  const uintptr_t address = reinterpret_cast<uintptr_t>(&cvar);
  for (const std::shared_ptr<CvarCallback>& entry : snapshot) {
    if (!entry->alive) continue;
    plugins.Guarded(entry->owner, "cvar", cvar.name,
                    [&] { entry->callback(oldValue, CVarWrapper(address)); });
  }
}

void Console::AddCallback(Cvar& cvar, std::function<void(std::string, CVarWrapper)> callback) {
  auto entry = std::make_shared<CvarCallback>();
  entry->owner = plugins.Calling();
  entry->callback = std::move(callback);
  HostLock lock(world.mutex);
  cvar.callbacks.push_back(std::move(entry));
}

void Console::BindInt(Cvar& cvar, std::shared_ptr<int> target) {
  PluginRecord* owner = plugins.Calling();
  HostLock lock(world.mutex);
  *target = CvarIntValue(cvar.value);
  cvar.boundInts.push_back({owner, std::move(target)});
}

void Console::LoadConfig() {
  ConfigValues values = ReadConfigFile(configPath);
  HostLock lock(world.mutex);
  savedValues = std::move(values);
}

// The game thread writes the file, the only thread that does, so writes
// land in the order their texts were made. The text is made under the lock,
// the file written after it; a change meanwhile marks the settings changed
// again, for the next turn.
void Console::SaveConfig() {
  if (!world.OnGameThread()) {
    configDirty = true;
    return;
  }
  std::string text;
  {
    HostLock lock(world.mutex);
    for (const auto& [cvarName, cvar] : cvars) {
      if (cvar->saved) savedValues[cvarName] = cvar->value;
    }
    text = FormatConfig(savedValues);
    configDirty = false;
  }
  if (!WriteConfigFile(configPath, text)) {
    configDirty = true;
    Log("Cannot write " + configPath.string());
  }
}

void Console::SaveConfigIfChanged() {
  if (configDirty && world.OnGameThread()) SaveConfig();
}

std::optional<CvarInfo> Console::Describe(const std::string& cvarName) {
  HostLock lock(world.mutex);
  Cvar* cvar = FindCvar(cvarName);
  if (!cvar) return std::nullopt;
  return CvarInfo{{static_cast<const CvarSettings&>(*cvar)}, cvar->callbacks.size(), cvar->boundInts.size()};
}

size_t Console::CallbackCount() const {
  size_t count = 0;
  for (const auto& [cvarName, cvar] : cvars) count += cvar->callbacks.size();
  return count;
}

size_t Console::BoundIntCount() const {
  size_t count = 0;
  for (const auto& [cvarName, cvar] : cvars) count += cvar->boundInts.size();
  return count;
}

void Console::TakeOwned(PluginRecord* owner, Dropped& dropped) {
  for (auto& [cvarName, cvar] : cvars) {
    EraseOwned(cvar->callbacks, owner, dropped);
    auto& bound = cvar->boundInts;
    for (BoundInt& each : bound) {
      if (each.owner == owner) Drop(dropped, std::move(each.target));
    }
    bound.erase(
        std::remove_if(bound.begin(), bound.end(), [&](const BoundInt& b) { return b.owner == owner; }),
        bound.end());
  }
}

// Variables are retired, not freed: a wrapper copy may still hold one's address.
void Console::TakeAll(Dropped& dropped) {
  for (auto& [cvarName, cvar] : cvars) {
    for (auto& callback : cvar->callbacks) callback->alive = false;
    Drop(dropped, std::move(cvar->callbacks));
    Drop(dropped, std::move(cvar->boundInts));
    cvar->callbacks.clear();
    cvar->boundInts.clear();
    retiredCvars.push_back(std::move(cvar));
  }
  cvars.clear();
  savedValues.clear();
  configDirty = false;
}

void Console::RestoreSavedValues(PluginRecord& record) {
  std::vector<std::string> names;
  {
    HostLock lock(world.mutex);
    names = std::move(record.registeredCvars);
    record.registeredCvars.clear();
  }
  for (const std::string& cvarName : names) {
    Cvar* cvar = FindCvar(cvarName);
    std::optional<std::string> value;
    {
      HostLock lock(world.mutex);
      auto saved = savedValues.find(cvarName);
      if (cvar && cvar->saved && saved != savedValues.end()) value = saved->second;
    }
    if (value) SetCvarValue(*cvar, *value);
  }
}

}  // namespace sim
