// Whole matches, generated at random and run through corvane-sim's script
// machinery, checked step by step against the model of what every client
// should show and hold. A failure prints its seed and the shortest failing
// script found, which corvane-sim runs as it is.
//
// Environment: GLIMMERFADE_SCENARIOS (how many), GLIMMERFADE_SCENARIO_SEED
// (seed of the first; scenario n has seed + n), GLIMMERFADE_SCENARIO_STEPS
// (random steps after the setup of each) and GLIMMERFADE_SCENARIO_PROGRESS
// (bar or lines: progress while the run goes on, see Progress.h).
#include "Scenario.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "Progress.h"
#include "common/ScratchFolder.h"

namespace {
namespace fs = std::filesystem;
using namespace scenario;

uint64_t Setting(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  return std::strtoull(text, nullptr, 10);
}

std::string Report(uint64_t seed, const Finding& finding, const std::vector<Step>& shortest) {
  const fs::path file = fs::temp_directory_path() / ("glimmerfade-scenario-" + std::to_string(seed) + ".sim");
  std::ofstream(file) << "# Scenario seed " << seed << ": " << finding.kind << "\n" << ScriptOf(shortest);
  std::ostringstream text;
  text << "scenario seed " << seed << " disagrees with the model (" << finding.kind << "): " << finding.detail
       << "\nshortest failing script (" << shortest.size() << " steps), written to " << file.string()
       << " (run it with corvane-sim FILE; rerun the scenario with GLIMMERFADE_SCENARIO_SEED=" << seed
       << " GLIMMERFADE_SCENARIOS=1):\n"
       << ScriptOf(shortest);
  return text.str();
}

TEST(Scenarios, RandomMatchesAgreeWithTheModel) {
  const uint64_t count = Setting("GLIMMERFADE_SCENARIOS", GLIMMERFADE_DEFAULT_SCENARIOS);
  const uint64_t firstSeed = Setting("GLIMMERFADE_SCENARIO_SEED", 1);
  const int length = static_cast<int>(Setting("GLIMMERFADE_SCENARIO_STEPS", 60));
  const ScratchFolder scratch("glimmerfade-scenarios-");
  const fs::path root = scratch.path / "random";
  const auto start = std::chrono::steady_clock::now();
  size_t steps = 0, findings = 0;
  Tally seen;
  std::set<std::string> kindsReported;
  Progress progress(count, std::cout);
  for (uint64_t n = 0; n < count; ++n) {
    progress.Update(n, findings);
    const uint64_t seed = firstSeed + n;
    const Outcome outcome = Generate(seed, length, root);
    steps += outcome.steps.size();
    seen.checks += outcome.seen.checks;
    seen.cars += outcome.seen.cars;
    seen.hidden += outcome.seen.hidden;
    seen.sends += outcome.seen.sends;
    seen.received += outcome.seen.received;
    seen.clicks += outcome.seen.clicks;
    if (!outcome.finding) continue;
    ++findings;
    // Each kind of disagreement is shrunk and reported once per run.
    if (!kindsReported.insert(outcome.finding->kind).second) continue;
    const std::string shrinking = "shrinking the finding of seed " + std::to_string(seed);
    const std::vector<Step> shortest = Shrink(outcome.steps, outcome.finding->kind, root, 400,
                                              [&] { progress.Update(n, findings, shrinking); });
    const Outcome again = Replay(shortest, root);
    progress.Clear();
    ADD_FAILURE() << Report(seed, again.finding.value_or(*outcome.finding), shortest);
  }
  progress.Update(count, findings);
  progress.Clear();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << count << " scenarios from seed " << firstSeed << ": " << steps << " steps, " << seen.checks
            << " checks (" << seen.cars << " cars compared, " << seen.hidden << " of them hidden; "
            << seen.sends << " tables sent, " << seen.received << " stored by online clients; " << seen.clicks
            << " panel clicks), " << findings << " findings, " << seconds << " s\n";
}

// A fifth of those scenarios again, the render thread drawing every page on
// its own as often as it can and the clicks coming from a user's thread: they
// agree all the same (under ThreadSanitizer, with no report).
TEST(Scenarios, RandomMatchesAgreeWithAFreeRenderThreadAndAUser) {
#if defined(__EMSCRIPTEN__)
  GTEST_SKIP() << "this build has no threads";
#endif
  const uint64_t count = Setting("GLIMMERFADE_SCENARIOS", GLIMMERFADE_DEFAULT_SCENARIOS) / 5;
  const uint64_t firstSeed = Setting("GLIMMERFADE_SCENARIO_SEED", 1);
  const int length = static_cast<int>(Setting("GLIMMERFADE_SCENARIO_STEPS", 60));
  const ScratchFolder scratch("glimmerfade-scenarios-");
  for (uint64_t seed = firstSeed; seed < firstSeed + count; ++seed) {
    const Outcome outcome = Generate(seed, length, scratch.path / "user", /*user=*/true);
    if (outcome.finding)
      ADD_FAILURE() << "scenario seed " << seed << " with a user (" << outcome.finding->kind
                    << "): " << outcome.finding->detail << "\n"
                    << ScriptOf(outcome.steps);
  }
}

// Scripts of faults found this way, kept after the fault was mended, and of
// situations no random step sets up.
TEST(Scenarios, KeptScriptsAgreeWithTheModel) {
  const ScratchFolder scratch("glimmerfade-scenarios-");
  size_t scripts = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(GLIMMERFADE_KEPT_SCENARIOS)) {
    if (entry.path().extension() != ".sim") continue;
    ++scripts;
    std::ifstream file(entry.path());
    std::vector<Step> steps;
    for (std::string line; std::getline(file, line);) steps.push_back(Step{{line}});
    const Outcome outcome = Replay(steps, scratch.path / "kept");
    if (outcome.finding)
      ADD_FAILURE() << entry.path() << ": " << outcome.finding->kind << ": " << outcome.finding->detail;
    else
      EXPECT_EQ(outcome.steps.size(), steps.size()) << entry.path() << ": a line the model refuses";
  }
  EXPECT_GT(scripts, 0u);
}

// The shrinker keeps what the failure needs and the order of what it keeps.
TEST(Scenarios, ShrinkerKeepsOnlyTheStepsAFailureNeeds) {
  std::vector<Step> steps;
  for (int i = 0; i < 50; ++i) steps.push_back(Step{{std::to_string(i)}});
  const auto has = [](const std::vector<Step>& candidate, const std::string& line) {
    for (const Step& step : candidate)
      if (step.lines[0] == line) return true;
    return false;
  };
  int tries = 0;
  const std::vector<Step> shortest = ShrinkSteps(
      steps,
      [&](const std::vector<Step>& candidate) -> std::optional<std::vector<Step>> {
        ++tries;
        if (!has(candidate, "7") || !has(candidate, "31") || !has(candidate, "44")) return std::nullopt;
        // A failure ends the run: the steps after the one that failed do not run.
        std::vector<Step> ran;
        for (const Step& step : candidate) {
          ran.push_back(step);
          if (step.lines[0] == "44") break;
        }
        return ran;
      },
      400);
  ASSERT_EQ(shortest.size(), 3u);
  EXPECT_EQ(shortest[0].lines[0], "7");
  EXPECT_EQ(shortest[1].lines[0], "31");
  EXPECT_EQ(shortest[2].lines[0], "44");
  EXPECT_LT(tries, 120);
}

}  // namespace
