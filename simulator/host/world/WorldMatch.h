#pragma once

// WorldMatch: a match as the world holds it, the authoritative list of player
// entries that the clients taking part replicate. Every change tells the
// world (World::matchChanged), which brings those clients up to date. Game
// thread only.

#include <memory>
#include <string>
#include <vector>

#include "host/base/HostValues.h"

namespace sim {

struct World;

class WorldMatch {
 public:
  WorldMatch(World& ofWorld, std::string matchName, int playlist);
  WorldMatch(const WorldMatch&) = delete;
  WorldMatch& operator=(const WorldMatch&) = delete;

  const std::string& Name() const { return name; }
  int PlaylistId() const { return playlistId; }
  void SetPlaylistId(int id);
  // Adds a player entry. Names may repeat; the id tells players apart.
  Player& AddPlayer(const PlayerSetup& setup);
  // By name: the first player of that name, in the order they were added.
  void RemovePlayer(const std::string& playerName);
  Player* FindPlayer(const std::string& playerName);
  void UpdatePlayer(const std::string& playerName, const PlayerSetup& setup);
  // By id.
  void RemovePlayer(int id);
  Player* FindPlayer(int id);
  void UpdatePlayer(int id, const PlayerSetup& setup);
  std::vector<Player*> Players();
  const std::vector<std::unique_ptr<Player>>& PlayerEntries() const { return players; }
  // Whether the match has a car array at all (true by default).
  bool HasCarArray() const { return hasCarArray; }
  void SetHasCarArray(bool hasCars);

 private:
  World& world;
  const std::string name;
  int playlistId = 0;
  bool hasCarArray = true;
  int nextPlayerId = 1;
  std::vector<std::unique_ptr<Player>> players;
};

}  // namespace sim
