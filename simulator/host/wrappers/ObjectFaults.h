#pragma once

// Calls of game-object wrappers on an address that holds no live object of
// their kind. In the game a wrapper is a pointer, and such a call reads or
// writes memory that holds something else, so the host treats it as a fault:
// one console line on the client whose plug-in made the call, counted, and a
// default returned so that the simulation goes on. A client that is not
// strict forgives such calls silently, and takes such addresses for null.

#include <atomic>
#include <cstdint>
#include <string>

#include "host/client/GameClient.h"
#include "host/world/GameObjects.h"

namespace sim {

// Whether the calls made now are forgiven: the running plug-in code belongs to
// a client that is not strict. Calls from outside plug-in code are strict.
bool RunningClientForgives();
inline bool Forgiving() {
  return forgivingClients.load(std::memory_order_relaxed) != 0 && RunningClientForgives();
}

// Reports the call, unless it is forgiven: "fault: CALL on ADDRESS, PROBLEM".
void ReportFault(const char* call, uintptr_t address, const std::string& problem);
// The same for an address without a live object of the kind named wanted.
void ReportMissingObject(const char* call, uintptr_t address, const char* wanted);

// A wrapper's IsNull: in the game a wrapper is null exactly when its address is
// zero; a forgiving client also takes an address without a live object for null.
template <class Find>
bool IsNullWrapper(uintptr_t address, Find find) {
  if (address == 0) return true;
  return Forgiving() && find(address) == nullptr;
}

// The live object of kind T at the address, or nullptr after reporting the call.
template <class T>
T* CheckedObject(uintptr_t address, const char* call) {
  T* object = ObjectAs<T>(address);
  if (!object) ReportMissingObject(call, address, KindName(T::kKind));
  return object;
}

// Faults of calls made outside every plug-in's code, counted over the process.
size_t UnattributedFaults();

}  // namespace sim
