// The SDK's CVarWrapper and CVarManagerWrapper over a client's console
// variables: a CVarWrapper's address is the variable's, a CVarManagerWrapper's
// its plug-in's handle.

#include <cctype>

#include "host/client/ClientImpl.h"

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
  return cvar->client->console.CvarValueOf(*cvar);
}

}  // namespace
}  // namespace sim

using sim::Client;
using sim::Cvar;

// ---- CVarWrapper ----

CVarWrapper::CVarWrapper(uintptr_t mem) : memory_address(mem) {}

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
  cvar->client->console.SetCvarValue(*cvar, std::move(value));
}

void CVarWrapper::setValue(int value) { setValue(std::to_string(value)); }

void CVarWrapper::addOnValueChanged(std::function<void(std::string oldValue, CVarWrapper cvar)> callback) {
  if (!memory_address || !callback) return;
  Cvar* cvar = sim::CvarAt(memory_address);
  auto entry = std::make_shared<sim::CvarCallback>();
  entry->owner = sim::CallingPlugin(*cvar->client);
  entry->callback = std::move(callback);
  sim::HostLock lock(cvar->client->sim.mutex);
  cvar->callbacks.push_back(std::move(entry));
}

void CVarWrapper::bindTo(std::shared_ptr<int> var) {
  if (!memory_address || !var) return;
  Cvar* cvar = sim::CvarAt(memory_address);
  sim::HostLock lock(cvar->client->sim.mutex);
  *var = sim::CvarIntValue(cvar->value);
  cvar->boundInts.push_back({sim::CallingPlugin(*cvar->client), std::move(var)});
}

bool CVarWrapper::IsNull() const { return memory_address == 0; }

// ---- CVarManagerWrapper ----

CVarManagerWrapper::CVarManagerWrapper(uintptr_t mem) : memory_address(mem) {}

// The SDK declares the strings of its calls by value; the host keeps its
// signatures. NOLINTBEGIN(performance-unnecessary-value-param)
CVarWrapper CVarManagerWrapper::registerCvar(std::string name, std::string defaultValue,
                                             std::string description, bool searchable, bool hasMin, float min,
                                             bool hasMax, float max, bool saveToCfg) {
  sim::HostHandle* handle = sim::LiveHandle(memory_address);
  if (!handle) return CVarWrapper(0);
  Client::Impl& client = *handle->client;
  if (!sim::ValidCvarName(name)) {
    client.console.Log("Cannot register console variable \"" + name + "\": invalid name");
    return CVarWrapper(0);
  }
  sim::HostLock lock(client.sim.mutex);
  Cvar& cvar = client.console.RegisterCvar(name, defaultValue, description, searchable, hasMin, min, hasMax,
                                           max, saveToCfg);
  if (sim::PluginRecord* owner = client.plugins.OwnerFor(*handle)) owner->registeredCvars.push_back(name);
  return CVarWrapper(reinterpret_cast<uintptr_t>(&cvar));
}

CVarWrapper CVarManagerWrapper::getCvar(std::string name) {
  sim::HostHandle* handle = sim::LiveHandle(memory_address);
  if (!handle) return CVarWrapper(0);
  return CVarWrapper(reinterpret_cast<uintptr_t>(handle->client->console.FindCvar(name)));
}

void CVarManagerWrapper::executeCommand(std::string command, bool log) {
  sim::HostHandle* handle = sim::LiveHandle(memory_address);
  if (!handle) return;
  handle->client->console.ExecuteCommand(command, log);
}
// NOLINTEND(performance-unnecessary-value-param)

void CVarManagerWrapper::log(std::string text) {
  if (sim::HostHandle* handle = sim::LiveHandle(memory_address)) handle->client->console.Log(std::move(text));
}
