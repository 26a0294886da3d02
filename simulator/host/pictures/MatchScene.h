#pragma once

// What one client's screen shows of its match: the cars of its replica, each
// hidden or shown as this client has it, and whose car the client controls.
// The match view (host/pictures/MatchView.h) draws it.

#include <string>
#include <vector>

namespace sim {

class ClientMatch;

struct ViewedCar {
  int playerId = 0;
  std::string name;     // the player's name
  int team = 0;         // the car's own team number
  bool hidden = false;  // hidden on this client
  bool own = false;     // the car of the player this client controls
};

struct MatchScene {
  std::string client;
  std::string match;  // empty when the client is in no match
  bool online = false;
  int viewerTeam = 255;         // the controller's team, 255 without a controller
  std::vector<ViewedCar> cars;  // in the order the match lists its players
};

// The scene of a client's view of its match.
MatchScene SceneOf(const std::string& clientName, const ClientMatch& view);

}  // namespace sim
