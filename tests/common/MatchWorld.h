#pragma once

// One match and the clients around it, each with NetcodePlugin and Glimmerfade
// loaded: a host that runs the match, and joiners that joined it online. The
// world of the tests of whole matches and of the benchmarks; it throws when a
// client cannot be set up.

#include <stdexcept>
#include <string>
#include <vector>

#include "host/Simulation.h"
#include "visibility/EnforcementPass.h"

// A playlist whose online matches are not enforced, beside the one that is
// (kEnforcedOnlinePlaylist).
inline constexpr int kOtherPlaylist = 7;

class MatchWorld {
 public:
  explicit MatchWorld(sim::Simulation& in, const std::string& name = "arena",
                      int playlist = glimmerfade::kEnforcedOnlinePlaylist)
      : simulation(in), match(in.CreateMatch(name, playlist)) {}

  void AddPlayers(const std::vector<sim::PlayerSetup>& players) {
    for (const sim::PlayerSetup& player : players) match.AddPlayer(player);
  }
  // A client that runs the match, controlling player ("": none).
  sim::Client& AddHost(const std::string& name, const std::string& player = "") {
    sim::Client& client = AddClient(name);
    client.RunMatch(match);
    if (!player.empty()) client.Control(player);
    return client;
  }
  // A client that joined the match online, controlling player ("": none).
  sim::Client& AddJoiner(const std::string& name, const std::string& player = "") {
    sim::Client& client = AddClient(name);
    client.JoinMatch(match);
    if (!player.empty()) client.Control(player);
    return client;
  }
  // Runs ticks until the network delay has passed.
  void Deliver() { simulation.AdvanceSeconds(simulation.NetworkDelay() * 1.5 + 0.01); }

  sim::Simulation& simulation;
  sim::Match& match;

 private:
  sim::Client& AddClient(const std::string& name) {
    sim::Client& client = simulation.AddClient(name);
    client.SetNetcodeAvailability(sim::NetcodeAvailability::Loaded);
    if (!client.InstallPluginFile("Glimmerfade") || !client.LoadPlugin("Glimmerfade"))
      throw std::runtime_error("Glimmerfade does not load on " + name);
    return client;
  }
};
