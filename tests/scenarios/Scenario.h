#pragma once

// Whole scenarios: generated from a seed, replayed from their steps, and
// shrunk to the shortest sequence of steps that still fails.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "ScenarioRunner.h"

namespace scenario {

struct Outcome {
  std::optional<Finding> finding;
  std::vector<Step> steps;  // the steps that ran, the failing one last
  Tally seen;
};

// Runs the steps in order, checking after each, until the first finding.
// Steps the model would refuse (a client or player that is not there) are left out.
Outcome Replay(const std::vector<Step>& steps, const std::filesystem::path& root);

// The setup, then `length` random steps, from one seed. With a user, the
// render thread draws on its own and clicks come from the user's thread.
Outcome Generate(uint64_t seed, int length, const std::filesystem::path& root, bool user = false);

// What a shrinker asks of a shorter sequence: the steps that ran up to the
// failure when it still fails, nullopt when it does not.
using StillFails = std::function<std::optional<std::vector<Step>>(const std::vector<Step>&)>;

// Leaves out chunks of steps, halving their size down to single steps, and
// then single steps again until none can go, while the rest still fails; at
// most `budget` tries.
std::vector<Step> ShrinkSteps(std::vector<Step> steps, const StillFails& stillFails, int budget);

// The shortest sequence found that still gives a finding of the same kind;
// onTry, when given, runs before each try.
std::vector<Step> Shrink(const std::vector<Step>& steps, const std::string& kind,
                         const std::filesystem::path& root, int budget = 400,
                         const std::function<void()>& onTry = nullptr);

}  // namespace scenario
