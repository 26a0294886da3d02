#include "NetcodePlugin.h"

#include <memory>

#include "host/wrappers/SimNetwork.h"

// Variants of the module leave out one of the variables (see CMakeLists.txt).
#ifndef NETCODE_HAS_LEVEL
#define NETCODE_HAS_LEVEL 1
#endif
#ifndef NETCODE_HAS_IN
#define NETCODE_HAS_IN 1
#endif
#ifndef NETCODE_HAS_OUT
#define NETCODE_HAS_OUT 1
#endif

namespace {
const char* const kChannel = "netcode";
}

std::string IncomingEnvelope(uintptr_t senderPri, const std::string& payload) {
  if (payload.empty() || payload[0] != '[') return {};
  size_t close = payload.find(']');
  if (close == std::string::npos) return {};
  return payload.substr(0, close) + "][" + std::to_string(senderPri) + "]" + payload.substr(close + 1);
}

// The callbacks hold the host's own wrappers, not this object, so none of them
// can reach a destroyed plug-in.
void NetcodePlugin::onLoad() {
  std::shared_ptr<CVarManagerWrapper> cvars = cvarManager;
  std::shared_ptr<GameWrapper> game = gameWrapper;

  if (NETCODE_HAS_LEVEL)
    cvars->registerCvar("NETCODE_Log_Level", "1", "NetcodePlugin log level", true, false, 0.0f, false, 0.0f,
                        true);
  if (NETCODE_HAS_IN)
    cvars->registerCvar("NETCODE_Message_In", "", "Last message received", true, false, 0.0f, false, 0.0f,
                        false);
  if (NETCODE_HAS_OUT)
    cvars
        ->registerCvar("NETCODE_Message_Out", "", "Message to send to the other players", true, false, 0.0f,
                       false, 0.0f, false)
        .addOnValueChanged(
            [game](std::string, CVarWrapper cvar) { sim::NetSend(*game, kChannel, cvar.getStringValue()); });

  // Incoming texts go into "NETCODE_Message_In" whenever it exists, also when
  // it was registered only after this plug-in loaded.
  sim::NetListen(*game, kChannel, [cvars](uintptr_t senderPri, const std::string& payload) {
    std::string envelope = IncomingEnvelope(senderPri, payload);
    CVarWrapper incoming = cvars->getCvar("NETCODE_Message_In");
    if (!envelope.empty() && incoming) incoming.setValue(envelope);
  });
}
