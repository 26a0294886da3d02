// The simulated network between the clients of one match, as plug-in modules reach it.

#include "host/wrappers/SimNetwork.h"

#include "host/client/GameClients.h"

namespace sim {

void NetSend(GameWrapper& gameWrapper, const std::string& channel, const std::string& payload) {
  if (HostHandle* handle = LiveHandle(gameWrapper.memory_address)) {
    GameClient& sender = ClientOf(*handle);
    sender.clients.Broadcast(sender, channel, payload);
  }
}

void NetListen(GameWrapper& gameWrapper, const std::string& channel,
               std::function<void(uintptr_t senderPri, const std::string& payload)> listener) {
  HostHandle* handle = LiveHandle(gameWrapper.memory_address);
  if (!handle || !listener) return;
  GameClient& client = ClientOf(*handle);
  client.loop.AddNetListener(client.plugins.OwnerFor(*handle), channel, std::move(listener));
}

}  // namespace sim
