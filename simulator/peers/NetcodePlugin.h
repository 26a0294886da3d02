#pragma once

#include <cstdint>
#include <string>

#include "pluginsdk.h"

// Simulated peer-messaging plug-in: carries texts written into
// "NETCODE_Message_Out" to the same match's other clients, where they appear in
// "NETCODE_Message_In" with the sender's player entry added.
class NetcodePlugin final : public Corvane::Plugin::CorvanePlugin {
 public:
  void onLoad() override;
};

// "[class]content" from a peer becomes "[class][senderPri]content"; an empty
// text when the payload has no leading bracketed class name.
std::string IncomingEnvelope(uintptr_t senderPri, const std::string& payload);
