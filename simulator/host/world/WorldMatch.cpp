// A match: the authoritative list of player entries that clients replicate.

#include <algorithm>

#include "host/world/SimulationImpl.h"

namespace sim {

Match::Match(std::unique_ptr<Impl> impl) : pimpl(std::move(impl)) {}
Match::~Match() = default;

const std::string& Match::Name() const { return pimpl->name; }

int Match::PlaylistId() const { return pimpl->playlistId; }

void Match::SetPlaylistId(int id) {
  pimpl->playlistId = id;
  pimpl->sim->matchChanged(*this);
}

Player& Match::AddPlayer(const PlayerSetup& setup) {
  auto player = std::make_unique<Player>();
  player->setup = setup;
  player->id = pimpl->nextPlayerId++;
  pimpl->players.push_back(std::move(player));
  Player& added = *pimpl->players.back();
  pimpl->sim->matchChanged(*this);
  return added;
}

void Match::RemovePlayer(const std::string& name) {
  if (Player* player = FindPlayer(name)) RemovePlayer(player->id);
}

void Match::RemovePlayer(int id) {
  auto& players = pimpl->players;
  auto found = std::find_if(players.begin(), players.end(), [&](const auto& p) { return p->id == id; });
  if (found == players.end()) return;
  players.erase(found);
  pimpl->sim->matchChanged(*this);
}

Player* Match::FindPlayer(const std::string& name) {
  for (const auto& player : pimpl->players) {
    if (player->setup.name == name) return player.get();
  }
  return nullptr;
}

Player* Match::FindPlayer(int id) {
  for (const auto& player : pimpl->players) {
    if (player->id == id) return player.get();
  }
  return nullptr;
}

std::vector<Player*> Match::Players() {
  std::vector<Player*> result;
  for (const auto& player : pimpl->players) result.push_back(player.get());
  return result;
}

void Match::UpdatePlayer(const std::string& name, const PlayerSetup& setup) {
  if (Player* player = FindPlayer(name)) UpdatePlayer(player->id, setup);
}

void Match::UpdatePlayer(int id, const PlayerSetup& setup) {
  Player* player = FindPlayer(id);
  if (!player) return;
  player->setup = setup;
  pimpl->sim->matchChanged(*this);
}

void Match::SetHasCarArray(bool hasCars) {
  pimpl->hasCarArray = hasCars;
  pimpl->sim->matchChanged(*this);
}

}  // namespace sim
