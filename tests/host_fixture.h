#pragma once

// Shared by the host and shell tests: a simulation in a scratch folder of its
// own, removed afterwards, and small console helpers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/Simulation.h"

namespace host_test {

namespace fs = std::filesystem;

inline const char* const kVehicleInput = "Function TAGame.Car_TA.SetVehicleInput";

inline fs::path ScratchPath(const std::string& prefix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "-" + info->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return fs::temp_directory_path() / (prefix + name + "-" + std::to_string(getpid()));
}

class HostTest : public ::testing::Test {
 protected:
  HostTest() : root_(ScratchPath("glimmerfade-host-")) {
    fs::remove_all(root_);
    sim_ = std::make_unique<sim::Simulation>(root_);
  }
  ~HostTest() override {
    sim_.reset();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // Makes a new simulation over the same folder, as a restart of the game would.
  void Restart() {
    sim_.reset();
    sim_ = std::make_unique<sim::Simulation>(root_);
  }

  // A client with the given plug-in files installed (NetcodePlugin not available).
  sim::Client& NewClient(const std::string& name, const std::vector<std::string>& files = {"Glimmerfade"}) {
    sim::Client& client = sim_->AddClient(name);
    for (const std::string& file : files) EXPECT_TRUE(client.InstallPluginFile(file)) << file;
    return client;
  }

  sim::Simulation& Sim() { return *sim_; }
  const fs::path& Root() const { return root_; }

 private:
  fs::path root_;
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
