#pragma once

// Worlds of several clients for the benchmarks that measure more than one
// pass, each made of the tests' match world (common/MatchWorld.h).

#include <array>
#include <memory>
#include <string>

#include "PassWorld.h"

namespace bench {

// Three clients with the module and NetcodePlugin loaded: one runs a match of
// 8 players in the enforced playlist, two joined it online. Every client enforces.
class MinuteWorld {
 public:
  MinuteWorld();
  ~MinuteWorld();

  static constexpr int kTicksPerSecond = 120;
  static constexpr int kClients = 3;

  // One simulated minute of ticks, after one table change typed on the host.
  void SimulatedMinute();
  // Every vehicle-input event raised on every client in one simulated minute.
  static long PassesPerMinute() { return 60L * kTicksPerSecond * kPlayers * kClients; }

 private:
  ScratchFolder scratch{"glimmerfade-bench-match-"};
  std::unique_ptr<sim::Simulation> simulation;
  sim::Client* host = nullptr;
  std::array<std::string, 2> tableCommands;
  long minutes = 0;
};

// The replication handlers, one message at a time: a client that runs a match
// sends on every change notification of its table; a client in an online game
// stores every table it receives. Each stands alone in its match, so nothing
// travels. Values are set through the host's wrappers, as a plug-in sets them,
// and the sent table is set to the text it already holds (it is still sent), so
// that the host's saving of its configuration file is not part of the figures.
class ReplicationWorld {
 public:
  ReplicationWorld();
  ~ReplicationWorld();

  // A change notification of "invis_json" on the sending client, and the
  // game-thread task that hands the message to the bridge.
  void SendOne();
  // A message arriving on the receiving client's "NETCODE_Message_In".
  void ReceiveOne();

 private:
  ScratchFolder scratch{"glimmerfade-bench-replication-"};
  std::unique_ptr<sim::Simulation> simulation;
  sim::Client* sender = nullptr;
  sim::Client* receiver = nullptr;
  std::shared_ptr<CVarManagerWrapper> senderCvars;
  std::shared_ptr<CVarManagerWrapper> receiverCvars;
  std::array<std::string, 2> tables;    // "invis_json" texts
  std::array<std::string, 2> incoming;  // their messages as NetcodePlugin delivers them
  long received = 0;
};

}  // namespace bench
