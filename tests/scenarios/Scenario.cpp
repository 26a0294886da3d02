#include "Scenario.h"

#include <algorithm>

#include "ScenarioGenerator.h"

namespace scenario {

Outcome Replay(const std::vector<Step>& steps, const std::filesystem::path& root) {
  Outcome outcome;
  Runner runner(root);
  for (const Step& step : steps) {
    if (!runner.Run(step)) continue;
    outcome.steps.push_back(step);
    outcome.finding = runner.Check();
    if (outcome.finding) break;
  }
  outcome.seen = runner.Seen();
  return outcome;
}

Outcome Generate(uint64_t seed, int length, const std::filesystem::path& root, bool user) {
  Outcome outcome;
  Runner runner(root, user);
  Generator generator(seed);
  const auto run = [&](const Step& step) {
    if (!runner.Run(step)) return;
    outcome.steps.push_back(step);
    outcome.finding = runner.Check();
  };
  for (const Step& step : generator.Setup()) {
    run(step);
    if (outcome.finding) break;
  }
  for (int i = 0; i < length && !outcome.finding; ++i) run(generator.Next(runner.Model()));
  outcome.seen = runner.Seen();
  return outcome;
}

std::vector<Step> ShrinkSteps(std::vector<Step> steps, const StillFails& stillFails, int budget) {
  // One sweep leaving out chunks of the given size; true when any could go.
  const auto sweep = [&](size_t chunk) {
    bool shrunk = false;
    for (size_t start = 0; start < steps.size() && budget > 0; --budget) {
      std::vector<Step> candidate(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(start));
      const size_t end = std::min(steps.size(), start + chunk);
      candidate.insert(candidate.end(), steps.begin() + static_cast<std::ptrdiff_t>(end), steps.end());
      if (std::optional<std::vector<Step>> ran = stillFails(candidate)) {
        steps = std::move(*ran);
        shrunk = true;
      } else {
        start += chunk;
      }
    }
    return shrunk;
  };
  for (size_t chunk = steps.size() / 2; chunk > 1; chunk /= 2) sweep(chunk);
  while (sweep(1)) {
  }
  return steps;
}

std::vector<Step> Shrink(const std::vector<Step>& steps, const std::string& kind,
                         const std::filesystem::path& root, int budget, const std::function<void()>& onTry) {
  return ShrinkSteps(
      steps,
      [&](const std::vector<Step>& candidate) -> std::optional<std::vector<Step>> {
        if (onTry) onTry();
        Outcome outcome = Replay(candidate, root);
        if (!outcome.finding || outcome.finding->kind != kind) return std::nullopt;
        return std::move(outcome.steps);
      },
      budget);
}

}  // namespace scenario
