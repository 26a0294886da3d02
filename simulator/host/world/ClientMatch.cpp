// A client's replica of its match: its own copies of the game event, player
// entries, cars, playlist and names, kept in step with the match.

#include "host/world/ClientMatch.h"

#include <algorithm>

namespace sim {
namespace {

unsigned char TeamNumber(int team) { return static_cast<unsigned char>(team); }

void UpdateEntry(Replica& replica, const Player& player) {
  std::unique_ptr<PriObject>& pri = replica.pris[player.id];
  if (!pri) {
    pri = std::make_unique<PriObject>();
    pri->playerId = player.id;
  }
  pri->name.text = player.setup.name;
  pri->team = TeamNumber(player.setup.team);
  pri->spectator = player.setup.spectator;
  pri->shortcut = player.setup.shortcut;
  pri->deadCar = 0;
  if (player.setup.hasCar) {
    std::unique_ptr<CarObject>& car = replica.cars[player.id];
    if (!car) car = std::make_unique<CarObject>();  // a new car starts shown
    car->owner = pri.get();
    car->team = player.setup.carTeam ? TeamNumber(*player.setup.carTeam) : pri->team;
    car->ownerName = player.setup.carOwnerName;
    pri->car = car.get();
  } else {
    pri->car = nullptr;
    replica.cars.erase(player.id);
  }
}

template <class Map>
void EraseMissing(Map& objects, const std::set<int>& ids) {
  for (auto it = objects.begin(); it != objects.end();) {
    it = ids.count(it->first) ? std::next(it) : objects.erase(it);
  }
}

}  // namespace

// The game thread changes the replica under the lock, since other threads ask
// whether the client is in a match (GameWrapper::IsInOnlineGame).
void ClientMatch::Enter(WorldMatch& match, bool online) {
  HostLock lock(world.mutex);
  replica.reset();
  replica = std::make_unique<Replica>();
  replica->match = &match;
  replica->online = online;
  Sync();
}

void ClientMatch::Leave() {
  HostLock lock(world.mutex);
  replica.reset();
  UpdateController();
}

void ClientMatch::Sync() {
  HostLock lock(world.mutex);
  if (!replica) return;
  const WorldMatch& match = *replica->match;
  replica->event.playlist.id = match.PlaylistId();
  replica->event.hasPlaylist = !nullObjects.count(WorldObject::Playlist);
  replica->event.hasCarArray = match.HasCarArray() && !nullObjects.count(WorldObject::CarArray);
  replica->event.hasPlayerArray = !nullObjects.count(WorldObject::PlayerArray);
  std::set<int> ids;
  for (const auto& player : match.PlayerEntries()) {
    ids.insert(player->id);
    UpdateEntry(*replica, *player);
  }
  EraseMissing(replica->cars, ids);
  EraseMissing(replica->pris, ids);
  auto& pris = replica->event.pris.items;
  auto& cars = replica->event.cars.items;
  pris.clear();
  cars.clear();
  for (const auto& player : match.PlayerEntries()) {
    PriObject* pri = replica->pris[player->id].get();
    pris.push_back(pri);
    if (pri->car) cars.push_back(pri->car);
  }
  UpdateController();
}

void ClientMatch::UpdateController() {
  HostLock lock(world.mutex);
  PriObject* pri = controlledId != 0          ? FindPri(controlledId)
                   : controlledPlayer.empty() ? nullptr
                                              : FindPri(controlledPlayer);
  controller.pri = pri;
  controller.team = viewerTeam ? TeamNumber(*viewerTeam) : pri ? pri->team : TeamNumber(255);
}

uintptr_t ClientMatch::DestroyCarKeepingItsAddress(const std::string& playerName) {
  HostLock lock(world.mutex);
  PriObject* pri = FindPri(playerName);
  if (!pri || !pri->car) return 0;
  std::vector<CarObject*>& cars = replica->event.cars.items;
  cars.erase(std::remove(cars.begin(), cars.end(), pri->car), cars.end());
  pri->deadCar = pri->car->Address();
  pri->car = nullptr;
  replica->cars.erase(pri->playerId);
  return pri->deadCar;
}

void ClientMatch::Control(const std::string& playerName) {
  HostLock lock(world.mutex);
  hasController = true;
  controlledPlayer = playerName;
  controlledId = 0;
  UpdateController();
}

void ClientMatch::ControlPlayer(int playerId) {
  HostLock lock(world.mutex);
  hasController = true;
  controlledPlayer.clear();
  controlledId = playerId;
  UpdateController();
}

void ClientMatch::SetNoController() {
  HostLock lock(world.mutex);
  hasController = false;
}

void ClientMatch::SetViewerTeam(int team) {
  HostLock lock(world.mutex);
  viewerTeam = team;
  UpdateController();
}

void ClientMatch::SetNullObject(WorldObject object, bool null) {
  HostLock lock(world.mutex);
  if (null)
    nullObjects.insert(object);
  else
    nullObjects.erase(object);
  Sync();
}

// Under the lock the restart holds.
void ClientMatch::Reset() {
  replica.reset();
  hasController = true;
  controlledPlayer.clear();
  controlledId = 0;
  viewerTeam.reset();
  nullObjects.clear();
  UpdateController();
}

PriObject* ClientMatch::FindPri(const std::string& playerName) const {
  if (!replica) return nullptr;
  for (PriObject* pri : replica->event.pris.items) {
    if (pri->name.text == playerName) return pri;
  }
  return nullptr;
}

PriObject* ClientMatch::FindPri(int playerId) const {
  if (!replica) return nullptr;
  auto found = replica->pris.find(playerId);
  return found == replica->pris.end() ? nullptr : found->second.get();
}

}  // namespace sim
