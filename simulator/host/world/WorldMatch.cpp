// A match: the authoritative list of player entries that clients replicate.

#include "host/world/WorldMatch.h"

#include <algorithm>
#include <utility>

#include "host/world/World.h"

namespace sim {

WorldMatch::WorldMatch(World& ofWorld, std::string matchName, int playlist)
    : world(ofWorld), name(std::move(matchName)), playlistId(playlist) {}

void WorldMatch::SetPlaylistId(int id) {
  playlistId = id;
  world.matchChanged(*this);
}

Player& WorldMatch::AddPlayer(const PlayerSetup& setup) {
  auto player = std::make_unique<Player>();
  player->setup = setup;
  player->id = nextPlayerId++;
  players.push_back(std::move(player));
  Player& added = *players.back();
  world.matchChanged(*this);
  return added;
}

void WorldMatch::RemovePlayer(const std::string& playerName) {
  if (Player* player = FindPlayer(playerName)) RemovePlayer(player->id);
}

void WorldMatch::RemovePlayer(int id) {
  auto found = std::find_if(players.begin(), players.end(), [&](const auto& p) { return p->id == id; });
  if (found == players.end()) return;
  players.erase(found);
  world.matchChanged(*this);
}

Player* WorldMatch::FindPlayer(const std::string& playerName) {
  for (const auto& player : players) {
    if (player->setup.name == playerName) return player.get();
  }
  return nullptr;
}

Player* WorldMatch::FindPlayer(int id) {
  for (const auto& player : players) {
    if (player->id == id) return player.get();
  }
  return nullptr;
}

std::vector<Player*> WorldMatch::Players() {
  std::vector<Player*> result;
  for (const auto& player : players) result.push_back(player.get());
  return result;
}

void WorldMatch::UpdatePlayer(const std::string& playerName, const PlayerSetup& setup) {
  if (Player* player = FindPlayer(playerName)) UpdatePlayer(player->id, setup);
}

void WorldMatch::UpdatePlayer(int id, const PlayerSetup& setup) {
  Player* player = FindPlayer(id);
  if (!player) return;
  player->setup = setup;
  world.matchChanged(*this);
}

void WorldMatch::SetHasCarArray(bool hasCars) {
  hasCarArray = hasCars;
  world.matchChanged(*this);
}

}  // namespace sim
