// A client's console variables: registering, setting and clamping values,
// on-change callbacks and bound integers, and the saved values in config.cfg.

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <locale>
#include <sstream>

#include "host/client/ClientImpl.h"
#include "host/console/ConfigFile.h"

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

Cvar* Client::Impl::FindCvar(const std::string& cvarName) {
  HostLock lock(sim.mutex);
  auto found = cvars.find(cvarName);
  return found == cvars.end() ? nullptr : found->second.get();
}

Cvar& Client::Impl::RegisterCvar(const std::string& cvarName, const std::string& defaultValue,
                                 const std::string& description, bool searchable, bool hasMin, float min,
                                 bool hasMax, float max, bool saved) {
  HostLock lock(sim.mutex);
  std::unique_ptr<Cvar>& slot = cvars[cvarName];
  if (!slot) {
    slot = std::make_unique<Cvar>();
    slot->client = this;
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

void Client::Impl::SetCvarValue(Cvar& cvar, std::string value) {
  BusyScope busy(*this);  // an unload asked for by a callback waits until all have run
  std::string oldValue;
  // Callbacks added or removed while these run take effect from the next change.
  std::vector<std::shared_ptr<CvarCallback>> snapshot;
  {
    HostLock lock(sim.mutex);
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
    Guarded(entry->owner, "cvar", cvar.name, [&] { entry->callback(oldValue, CVarWrapper(address)); });
  }
}

void Client::Impl::LoadConfig() {
  ConfigValues values = ReadConfigFile(ConfigPath());
  HostLock lock(sim.mutex);
  savedValues = std::move(values);
}

// The game thread writes the file, the only thread that does, so writes
// land in the order their texts were made. The text is made under the lock,
// the file written after it; a change meanwhile marks the settings changed
// again, for the next turn.
void Client::Impl::SaveConfig() {
  if (!sim.OnGameThread()) {
    configDirty = true;
    return;
  }
  std::string text;
  {
    HostLock lock(sim.mutex);
    for (const auto& [cvarName, cvar] : cvars) {
      if (cvar->saved) savedValues[cvarName] = cvar->value;
    }
    text = FormatConfig(savedValues);
    configDirty = false;
  }
  if (!WriteConfigFile(ConfigPath(), text)) {
    configDirty = true;
    Log("Cannot write " + ConfigPath().string());
  }
}

void Client::Impl::SaveConfigIfChanged() {
  if (configDirty && sim.OnGameThread()) SaveConfig();
}

void Client::Impl::RestoreSavedValues(PluginRecord& record) {
  std::vector<std::string> names;
  {
    HostLock lock(sim.mutex);
    names = std::move(record.registeredCvars);
    record.registeredCvars.clear();
  }
  for (const std::string& cvarName : names) {
    Cvar* cvar = FindCvar(cvarName);
    std::optional<std::string> value;
    {
      HostLock lock(sim.mutex);
      auto saved = savedValues.find(cvarName);
      if (cvar && cvar->saved && saved != savedValues.end()) value = saved->second;
    }
    if (value) SetCvarValue(*cvar, *value);
  }
}

}  // namespace sim
