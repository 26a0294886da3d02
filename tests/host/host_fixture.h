#pragma once

// Shared by the host and shell tests: a simulation in a scratch folder of its
// own, removed afterwards, and small console helpers.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "GameEvents.h"
#include "host/Simulation.h"
#include "testing/ScratchFolder.h"

namespace host_test {

namespace fs = std::filesystem;

class HostTest : public ::testing::Test {
 protected:
  HostTest() : sim_(std::make_unique<sim::Simulation>(scratch_.path)) {}

  // Makes a new simulation over the same folder, as a restart of the game would.
  void Restart() {
    sim_.reset();
    sim_ = std::make_unique<sim::Simulation>(scratch_.path);
  }

  // A client with the given plug-in files installed (NetcodePlugin not available).
  sim::Client& NewClient(const std::string& name, const std::vector<std::string>& files = {"Glimmerfade"}) {
    sim::Client& client = sim_->AddClient(name);
    for (const std::string& file : files) EXPECT_TRUE(client.InstallPluginFile(file)) << file;
    return client;
  }

  sim::Simulation& Sim() { return *sim_; }
  const fs::path& Root() const { return scratch_.path; }

 private:
  ScratchFolder scratch_{"glimmerfade-host-"};  // outlives the simulation
  std::unique_ptr<sim::Simulation> sim_;
};

inline bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

inline size_t Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

// Lines that begin with the prefix.
inline std::vector<std::string> StartingWith(const std::vector<std::string>& lines,
                                             const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  }
  return found;
}

}  // namespace host_test
