#include "host/wrappers/ObjectFaults.h"

#include <iostream>
#include <string>

#include "host/client/GameClient.h"

namespace sim {
namespace {

std::atomic<size_t> unattributedFaults{0};

std::string Hex(uintptr_t address) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[address % 16]);
    address /= 16;
  } while (address != 0);
  return "0x" + text;
}

// Why the address holds no object of the wanted kind.
std::string Reason(uintptr_t address) {
  switch (StateOfAddress(address)) {
    case AddressState::Null:
      return "null address";
    case AddressState::Destroyed:
      return "destroyed";
    case AddressState::NeverHandedOut:
      return "never handed out";
    case AddressState::Live:
      break;
  }
  SimObject* object = FindObject(address);
  return object ? std::string("it holds a ") + KindName(object->kind) : "destroyed";
}

}  // namespace

bool RunningClientForgives() {
  const GameClient* client = RunningGameClient();
  return client && !client->strict;
}

void ReportMissingObject(const char* call, uintptr_t address, const char* wanted) {
  if (Forgiving()) return;
  ReportFault(call, address, std::string("which holds no live ") + wanted + " (" + Reason(address) + ")");
}

void ReportFault(const char* call, uintptr_t address, const std::string& problem) {
  if (Forgiving()) return;
  const std::string line = std::string("fault: ") + call + " on " + Hex(address) + ", " + problem;
  if (GameClient* client = RunningGameClient()) {
    ++client->faults;
    client->console.Log(line);
    return;
  }
  ++unattributedFaults;
  std::cerr << line << " [outside plug-in code]\n";
}

size_t UnattributedFaults() { return unattributedFaults.load(); }

}  // namespace sim
