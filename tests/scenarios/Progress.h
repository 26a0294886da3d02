#pragma once

// How far a long run of scenarios has got, shown while it runs when
// GLIMMERFADE_SCENARIO_PROGRESS asks for it: "bar" redraws one line (for a
// terminal) with a bar, the count, the findings so far and the time left;
// "lines" prints such a line at least every 10 seconds (for a log). Anything
// else, or nothing, shows nothing.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace scenario {

class Progress {
 public:
  Progress(uint64_t total, std::ostream& out);
  // After each scenario; `activity` says what a long pause is spent on.
  void Update(uint64_t done, uint64_t findings, const std::string& activity = "");
  // Removes the bar, so that other output starts on a clean line.
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;
  enum class Mode { Silent, Bar, Lines };
  std::string Text(uint64_t done, uint64_t findings, const std::string& activity) const;
  std::string TimeLeft(uint64_t done) const;

  Mode mode = Mode::Silent;
  uint64_t total;
  std::ostream& out;
  Clock::time_point start = Clock::now();
  Clock::time_point shown = start;
  bool barShown = false;
};

}  // namespace scenario
