#pragma once

// Internal state of the simulation and of its matches.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/Simulation.h"

namespace sim {

struct Simulation::Impl {
  std::filesystem::path root;
  std::filesystem::path moduleDir;
  int64_t ticks = 0;
  double installDelay = 1.5;
  double networkDelay = 0.05;
  std::vector<std::unique_ptr<Client>> clients;  // creation order
  std::vector<std::unique_ptr<Match>> matches;

  static constexpr int64_t kTicksPerSecond = 120;
  static constexpr double kTickSeconds = 1.0 / kTicksPerSecond;
  double Now() const { return static_cast<double>(ticks) * kTickSeconds; }
  // Brings every client that takes part in the match up to date with it.
  void MatchChanged(Match& match);
  // Queues a payload for every other client of the sender's match.
  void Broadcast(Client::Impl& sender, const std::string& channel, const std::string& payload);
};

struct Match::Impl {
  Simulation::Impl* sim = nullptr;
  std::string name;
  int playlistId = 0;
  bool hasCarArray = true;
  int nextPlayerId = 1;
  std::vector<std::unique_ptr<Player>> players;
};

}  // namespace sim
