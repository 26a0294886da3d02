#pragma once

// What the parts of the world model share: the names of NetcodePlugin's
// variables, and how a line of the plug-in is expected on a client's console.

#include <string>

#include "model/WorldModel.h"

namespace model {

inline const char* const kClassName = "Shroudweave";
inline const char* const kLogLevel = "NETCODE_Log_Level";
inline const char* const kMessageIn = "NETCODE_Message_In";
inline const char* const kMessageOut = "NETCODE_Message_Out";

// A line the rules say is written whatever the log level.
inline void Require(ClientState& client, const std::string& line) {
  client.expected.lines.insert(line);
  client.expected.required.insert(line);
}

// A line of the bridge's that carries the "(A: CLOCK)   " or "(C: CLOCK)   " prefix.
inline void RequireAtLevel(ClientState& client, const std::string& line) {
  client.expected.lines.insert(line);
  client.expected.requiredAtLevel.insert(line);
}

// "standard", "wrong-case", "longer-name", "no-level", "no-in" or "no-out".
std::optional<NetcodeVariant> NetcodeVariantNamed(const std::string& name);

}  // namespace model
