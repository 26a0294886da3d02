#pragma once

// ClientMatch: one client's view of the match it takes part in. It owns the
// client's replica (its own copies of the game event, player entries and
// cars, kept in step with the match), the player controller and which player
// it controls, and the world objects this client's game hands out as null.
// The game thread changes it, under the host's lock, since other threads ask
// whether the client is in a match; they read it under the lock. The client
// composes it; the game loop, the wrappers and the pictures read it.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "host/base/HostValues.h"
#include "host/world/GameObjects.h"
#include "host/world/World.h"

namespace sim {

// This client's own copies of the objects of the match it takes part in.
struct Replica {
  WorldMatch* match = nullptr;
  bool online = false;
  GameEventObject event;
  std::map<int, std::unique_ptr<PriObject>> pris;  // by player id
  std::map<int, std::unique_ptr<CarObject>> cars;  // by player id
};

class ClientMatch {
 public:
  explicit ClientMatch(World& ofWorld) : world(ofWorld) {}
  ClientMatch(const ClientMatch&) = delete;
  ClientMatch& operator=(const ClientMatch&) = delete;

  // Game thread.
  void Enter(WorldMatch& match, bool online);
  void Leave();
  void Sync();
  uintptr_t DestroyCarKeepingItsAddress(const std::string& playerName);
  // Which player this client controls, by name or (when not 0) by id.
  void Control(const std::string& playerName);
  void ControlPlayer(int playerId);
  void SetNoController();
  void SetViewerTeam(int team);
  void SetNullObject(WorldObject object, bool null);
  // Back to no match, a controller of no player and no null objects (a restart).
  void Reset();

  // The replica while in a match, else nullptr; the game thread reads it as
  // it is, other threads under the lock.
  const Replica* Current() const { return replica.get(); }
  bool IsNull(WorldObject object) const { return nullObjects.count(object) != 0; }
  // The controller, or nullptr when the game hands out none.
  const ControllerObject* Controller() const { return hasController ? &controller : nullptr; }
  PriObject* FindPri(const std::string& playerName) const;
  PriObject* FindPri(int playerId) const;

 private:
  void UpdateController();

  World& world;
  std::unique_ptr<Replica> replica;
  ControllerObject controller;
  bool hasController = true;
  std::string controlledPlayer;
  int controlledId = 0;  // when not 0, the controlled player by id instead of by name
  std::optional<int> viewerTeam;
  std::set<WorldObject> nullObjects;
};

}  // namespace sim
