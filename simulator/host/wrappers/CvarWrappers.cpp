// The SDK's CVarWrapper and CVarManagerWrapper over a client's console
// variables: a CVarWrapper's address is the variable's, a CVarManagerWrapper's
// its plug-in's handle.

#include <cctype>

#include "host/client/GameClient.h"

namespace sim {
namespace {

bool ValidCvarName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (std::isspace(static_cast<unsigned char>(c)) || c == '"') return false;
  }
  return true;
}

// NOLINTNEXTLINE(performance-no-int-to-ptr): the SDK's wrappers carry the host's objects as addresses
Cvar* CvarAt(uintptr_t address) { return reinterpret_cast<Cvar*>(address); }

// Any thread may set a value: reads take the host's lock.
std::string ValueAt(uintptr_t address) {
  const Cvar* cvar = CvarAt(address);
  return cvar->console->CvarValueOf(*cvar);
}

}  // namespace
}  // namespace sim

using sim::Cvar;

// ---- CVarWrapper ----

std::string CVarWrapper::getCVarName() const {
  return memory_address ? sim::CvarAt(memory_address)->name : "";
}

std::string CVarWrapper::getDescription() const {
  return memory_address ? sim::CvarAt(memory_address)->description : "";
}

std::string CVarWrapper::getStringValue() const { return memory_address ? sim::ValueAt(memory_address) : ""; }

int CVarWrapper::getIntValue() const {
  return memory_address ? sim::CvarIntValue(sim::ValueAt(memory_address)) : 0;
}

float CVarWrapper::getFloatValue() const {
  return memory_address ? sim::CvarFloatValue(sim::ValueAt(memory_address)) : 0.0f;
}

bool CVarWrapper::getBoolValue() const { return getIntValue() != 0; }

void CVarWrapper::setValue(std::string value) {
  if (!memory_address) return;
  Cvar* cvar = sim::CvarAt(memory_address);
  cvar->console->SetCvarValue(*cvar, std::move(value));
}

void CVarWrapper::setValue(int value) { setValue(std::to_string(value)); }

void CVarWrapper::addOnValueChanged(std::function<void(std::string oldValue, CVarWrapper cvar)> callback) {
  if (!memory_address || !callback) return;
  Cvar* cvar = sim::CvarAt(memory_address);
  cvar->console->AddCallback(*cvar, std::move(callback));
}

void CVarWrapper::bindTo(std::shared_ptr<int> var) {
  if (!memory_address || !var) return;
  Cvar* cvar = sim::CvarAt(memory_address);
  cvar->console->BindInt(*cvar, std::move(var));
}

bool CVarWrapper::IsNull() const { return memory_address == 0; }

// ---- CVarManagerWrapper ----

// The SDK declares the strings of its calls by value; the host keeps its
// signatures. NOLINTBEGIN(performance-unnecessary-value-param)
CVarWrapper CVarManagerWrapper::registerCvar(std::string name, std::string defaultValue,
                                             std::string description, bool searchable, bool hasMin, float min,
                                             bool hasMax, float max, bool saveToCfg) {
  sim::HostHandle* handle = sim::LiveHandle(memory_address);
  if (!handle) return CVarWrapper(0);
  sim::GameClient& client = sim::ClientOf(*handle);
  if (!sim::ValidCvarName(name)) {
    client.console.Log("Cannot register console variable \"" + name + "\": invalid name");
    return CVarWrapper(0);
  }
  sim::HostLock lock(client.world.mutex);
  Cvar& cvar = client.console.RegisterCvar(name, defaultValue, description, searchable, hasMin, min, hasMax,
                                           max, saveToCfg);
  if (sim::PluginRecord* owner = client.plugins.OwnerFor(*handle)) owner->registeredCvars.push_back(name);
  return CVarWrapper(reinterpret_cast<uintptr_t>(&cvar));
}

CVarWrapper CVarManagerWrapper::getCvar(std::string name) {
  sim::HostHandle* handle = sim::LiveHandle(memory_address);
  if (!handle) return CVarWrapper(0);
  return CVarWrapper(reinterpret_cast<uintptr_t>(sim::ClientOf(*handle).console.FindCvar(name)));
}

void CVarManagerWrapper::executeCommand(std::string command, bool log) {
  sim::HostHandle* handle = sim::LiveHandle(memory_address);
  if (!handle) return;
  sim::ClientOf(*handle).console.ExecuteCommand(command, log);
}
// NOLINTEND(performance-unnecessary-value-param)

void CVarManagerWrapper::log(std::string text) {
  if (sim::HostHandle* handle = sim::LiveHandle(memory_address))
    sim::ClientOf(*handle).console.Log(std::move(text));
}
