#pragma once

// What the public face (host/Simulation.h) holds: a simulation's world and
// its clients, and a face for each client and each match, in the order they
// were made. The face composes the rooms below it and is reached by no room.

#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "host/Simulation.h"
#include "host/client/GameClient.h"
#include "host/client/GameClients.h"
#include "host/world/World.h"
#include "host/world/WorldMatch.h"

namespace sim {

struct Simulation::Impl {
  Impl(std::filesystem::path root, std::filesystem::path moduleDir)
      : world(std::move(root), std::move(moduleDir)), clients(world) {}

  World world;
  GameClients clients;
  std::vector<std::unique_ptr<Client>> clientFaces;  // as the clients were made; added under the lock
  std::vector<std::unique_ptr<Match>> matchFaces;    // as the matches were made; game thread only

  // The face of a match of the world (nullptr: none).
  Match* FaceOf(const WorldMatch* match) const;
};

struct Client::Impl {
  Simulation::Impl& simulation;
  GameClient& client;
};

struct Match::Impl {
  WorldMatch& match;
};

}  // namespace sim
