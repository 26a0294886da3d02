#pragma once

// Runs corvane-sim script lines through the simulator's own script machinery,
// in-process, next to the model of what should happen, and compares the two
// after every step.

#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "SimCommands.h"
#include "model/WorldModel.h"

namespace scenario {

// One step of a scenario: script lines run together (a client chosen, then
// what it does).
struct Step {
  std::vector<std::string> lines;
};

// A disagreement between the simulation and the model.
struct Finding {
  std::string kind;  // what disagreed: "car", "invis_json", "console", ...
  std::string detail;
};

// What the checks have seen, to tell how much a run has exercised.
struct Tally {
  size_t checks = 0;
  size_t cars = 0;      // cars compared
  size_t hidden = 0;    // of them, hidden
  size_t sends = 0;     // tables sent by a match's host
  size_t received = 0;  // tables stored by online clients
  size_t clicks = 0;    // panel clicks
};

class Runner {
 public:
  // With a user, the render thread draws every page on its own as often as it
  // can, and panel clicks come from a thread of their own, a user's.
  explicit Runner(const std::filesystem::path& root, bool user = false);
  ~Runner();
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  // Runs the step when the model accepts every line of it, as the simulator
  // would; false when the step was left out.
  bool Run(const Step& step);
  // Compares every client with the model; the first disagreement, if any.
  std::optional<Finding> Check();

  const model::WorldModel& Model() const { return model; }
  const Tally& Seen() const { return tally; }

 private:
  void RunLine(const std::string& line);
  void AwaitFreeFrame();
  size_t CountSends();
  std::optional<Finding> CheckClient(const model::ClientState& expected, sim::Client& client);
  std::optional<Finding> CheckConsole(const model::ClientState& expected, sim::Client& client);
  std::optional<Finding> CheckCars(const model::ClientState& expected, sim::Client& client);

  std::filesystem::path root;
  bool user;
  std::unique_ptr<sim::Simulation> simulation;
  std::ostringstream output;
  std::unique_ptr<SimContext> context;
  model::WorldModel model;
  std::optional<Finding> scriptError;
  std::vector<size_t> consoleSeen;  // per client, in creation order: lines checked
  std::vector<size_t> sendScan;     // per client: lines counted by CountSends
  size_t sendsThisStep = 0;
  static constexpr int kTicksPerStretch = 12;
  Tally tally;
};

// The steps as a script a person can run with corvane-sim.
std::string ScriptOf(const std::vector<Step>& steps);

}  // namespace scenario
