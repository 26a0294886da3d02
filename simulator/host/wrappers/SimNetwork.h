#pragma once

// The simulated network, offered by the simulated host to plug-in modules that
// carry data between clients (the simulated NetcodePlugin). Not part of the SDK
// that ordinary plug-ins use.

#include <cstdint>
#include <functional>
#include <string>

#include "host/base/SimApi.h"

class GameWrapper;

namespace sim {

// Sends a payload from the client behind gameWrapper to every other client of
// the same match that listens on the channel. Delivery happens on each
// receiver's game thread after the simulation's network delay, in send order.
CORVANE_SIM_API void NetSend(GameWrapper& gameWrapper, const std::string& channel,
                             const std::string& payload);

// Listens on a channel for the client behind gameWrapper. senderPri is the
// address of this client's own replica of the sending client's player entry,
// 0 when the sender controls no player of this match. The listener belongs to
// the plug-in that registers it and is dropped when that plug-in unloads.
CORVANE_SIM_API void NetListen(GameWrapper& gameWrapper, const std::string& channel,
                               std::function<void(uintptr_t senderPri, const std::string& payload)> listener);

}  // namespace sim
