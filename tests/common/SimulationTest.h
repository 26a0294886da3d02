#pragma once

// The fixture of every test that drives the simulated host: a simulation in a
// scratch folder of its own, removed afterwards; clients with plug-in modules
// installed or loaded; and, after each test, the checks that nothing thrown by
// plug-in code reached the host and that no call was made on a game object
// that does not live (a fault of the strict host).

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/ScratchFolder.h"
#include "host/Simulation.h"

// The playlist of matches whose playlist does not matter to a test: the host
// gives it no meaning, and a local match is enforced in any playlist. (Tests
// that need online clients to enforce use kEnforcedOnlinePlaylist.)
inline constexpr int kAnyPlaylist = 6;

class SimulationTest : public ::testing::Test {
 protected:
  SimulationTest() : simulation(std::make_unique<sim::Simulation>(scratch.path)) {}

  sim::Simulation& Sim() { return *simulation; }
  const std::filesystem::path& Root() const { return scratch.path; }

  // A new simulation over the same folder, as starting the game again would
  // make: the clients of the old one are gone.
  void RestartSimulation() {
    CheckEscapes();
    CheckFaults();
    simulation.reset();
    simulation = std::make_unique<sim::Simulation>(scratch.path);
  }

  // A client with the given module files installed (NetcodePlugin not available).
  sim::Client& NewClient(const std::string& name, const std::vector<std::string>& files = {"Glimmerfade"}) {
    sim::Client& client = Sim().AddClient(name);
    for (const std::string& file : files) EXPECT_TRUE(client.InstallPluginFile(file)) << file;
    return client;
  }

  // A client with NetcodePlugin as given and Glimmerfade loaded.
  sim::Client& PluginClient(const std::string& name,
                            sim::NetcodeAvailability netcode = sim::NetcodeAvailability::Unavailable) {
    sim::Client& client = Sim().AddClient(name);
    client.SetNetcodeAvailability(netcode);
    EXPECT_TRUE(client.InstallPluginFile("Glimmerfade")) << name;
    EXPECT_TRUE(client.LoadPlugin("Glimmerfade")) << name;
    return client;
  }

  void TearDown() override {
    CheckEscapes();
    CheckFaults();
  }

  // Exceptions of plug-in code that each client's host is to have caught by
  // the end of the test; nullopt where the test counts them itself.
  std::optional<size_t> expectedEscapes = 0;
  // False where a test makes faults on purpose and counts them itself.
  bool expectNoFaults = true;

 private:
  void CheckFaults() {
    if (!expectNoFaults) return;
    EXPECT_EQ(sim::Simulation::UnattributedFaults(), unattributedFaults) << "faults outside plug-in code";
    for (const sim::Client* client : Sim().Clients())
      for (const std::string& line : client->Console())
        if (line.rfind("fault: ", 0) == 0) ADD_FAILURE() << client->Name() << ": " << line;
  }

  void CheckEscapes() {
    if (!expectedEscapes) return;
    for (const sim::Client* client : Sim().Clients()) {
      EXPECT_EQ(client->EscapedExceptions(), *expectedEscapes) << client->Name();
      if (*expectedEscapes > 0) continue;
      for (const std::string& line : client->Console())
        EXPECT_NE(line.rfind("Exception in ", 0), 0u) << client->Name() << ": " << line;
    }
  }

  size_t unattributedFaults = sim::Simulation::UnattributedFaults();
  ScratchFolder scratch{"glimmerfade-test-"};  // outlives the simulation
  std::unique_ptr<sim::Simulation> simulation;
};
