// The simulated network between the clients of one match.

#include "host/world/SimNetwork.h"

#include "host/client/ClientImpl.h"
#include "host/world/SimulationImpl.h"

namespace sim {
// Any thread that sets a variable may send: under the lock throughout.
void Simulation::Impl::Broadcast(Client::Impl& sender, const std::string& channel,
                                 const std::string& payload) {
  HostLock lock(mutex);
  if (!sender.replica) return;
  const int senderPlayer =
      sender.hasController && sender.controller.pri ? sender.controller.pri->playerId : 0;
  for (const auto& client : clients) {
    Client::Impl& receiver = client->Internals();
    if (&receiver == &sender || !receiver.replica || receiver.replica->match != sender.replica->match)
      continue;
    receiver.inbox.push_back(NetDelivery{Now() + networkDelay, channel, senderPlayer, payload});
  }
}

void NetSend(GameWrapper& gameWrapper, const std::string& channel, const std::string& payload) {
  if (HostHandle* handle = LiveHandle(gameWrapper.memory_address))
    handle->client->sim.Broadcast(*handle->client, channel, payload);
}

void NetListen(GameWrapper& gameWrapper, const std::string& channel,
               std::function<void(uintptr_t senderPri, const std::string& payload)> listener) {
  HostHandle* handle = LiveHandle(gameWrapper.memory_address);
  if (!handle || !listener) return;
  auto entry = std::make_shared<NetListenerEntry>();
  entry->channel = channel;
  entry->owner = handle->client->OwnerFor(*handle);
  entry->callback = std::move(listener);
  HostLock lock(handle->client->sim.mutex);
  handle->client->netListeners.push_back(std::move(entry));
}

}  // namespace sim
