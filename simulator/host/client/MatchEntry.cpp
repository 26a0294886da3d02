// Running and joining a match, in the worlds a game can be in only: a match
// has one host, the client that runs it; the host does not also join its own
// match, and a client that joined a match does not also host it. Joining a
// match that no client runs stands for a match on a dedicated server.

#include <stdexcept>

#include "host/client/GameClients.h"

namespace sim {
namespace {

bool Hosts(const GameClient& client, const WorldMatch& match) {
  const Replica* replica = client.match.Current();
  return replica && replica->match == &match && !replica->online;
}

bool HasJoined(const GameClient& client, const WorldMatch& match) {
  const Replica* replica = client.match.Current();
  return replica && replica->match == &match && replica->online;
}

// The client other than this one that runs the match; nullptr when none does.
const GameClient* OtherHost(const GameClient& client, const WorldMatch& match) {
  for (const GameClient* other : client.clients.List()) {
    if (other != &client && Hosts(*other, match)) return other;
  }
  return nullptr;
}

// Why no game lets the client run (or join) the match; "" when one does.
std::string Impossibility(const GameClient& client, const WorldMatch& match, bool online) {
  if (online && Hosts(client, match)) return client.name + " runs it, and a match's host does not join it";
  if (online) return "";
  if (HasJoined(client, match))
    return client.name + " has joined it, and a client that joined a match does not host it (leave it first)";
  if (const GameClient* host = OtherHost(client, match))
    return host->name + " runs it already, and a match has one host (join it instead)";
  return "";
}

}  // namespace

void GameClient::EnterMatch(WorldMatch& entered, bool online) {
  const std::string impossibility = Impossibility(*this, entered, online);
  if (!impossibility.empty())
    throw std::invalid_argument(name + " cannot " + (online ? "join" : "run") + " match \"" + entered.Name() +
                                "\": " + impossibility);
  match.Enter(entered, online);
}

}  // namespace sim
