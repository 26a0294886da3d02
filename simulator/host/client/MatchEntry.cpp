// Running and joining a match, in the worlds a game can be in only: a match
// has one host, the client that runs it; the host does not also join its own
// match, and a client that joined a match does not also host it. Joining a
// match that no client runs stands for a match on a dedicated server.

#include <stdexcept>

#include "host/client/ClientImpl.h"

namespace sim {
namespace {

bool Hosts(const Client::Impl& client, const Match& match) {
  const Replica* replica = client.world.Current();
  return replica && replica->match == &match && !replica->online;
}

bool HasJoined(const Client::Impl& client, const Match& match) {
  const Replica* replica = client.world.Current();
  return replica && replica->match == &match && replica->online;
}

// The client other than this one that runs the match; nullptr when none does.
const Client::Impl* OtherHost(const Client::Impl& client, const Match& match) {
  for (Client* other : client.sim.ClientList()) {
    if (&other->Internals() != &client && Hosts(other->Internals(), match)) return &other->Internals();
  }
  return nullptr;
}

// Why no game lets the client run (or join) the match; "" when one does.
std::string Impossibility(const Client::Impl& client, const Match& match, bool online) {
  if (online && Hosts(client, match)) return client.name + " runs it, and a match's host does not join it";
  if (online) return "";
  if (HasJoined(client, match))
    return client.name + " has joined it, and a client that joined a match does not host it (leave it first)";
  if (const Client::Impl* host = OtherHost(client, match))
    return host->name + " runs it already, and a match has one host (join it instead)";
  return "";
}

}  // namespace

void Client::Impl::EnterMatch(Match& match, bool online) {
  const std::string impossibility = Impossibility(*this, match, online);
  if (!impossibility.empty())
    throw std::invalid_argument(name + " cannot " + (online ? "join" : "run") + " match \"" + match.Name() +
                                "\": " + impossibility);
  world.Enter(match, online);
}

}  // namespace sim

void sim::Client::RunMatch(Match& match) { pimpl->EnterMatch(match, false); }
void sim::Client::JoinMatch(Match& match) { pimpl->EnterMatch(match, true); }
