#include "Progress.h"

#include <cstdlib>
#include <sstream>

namespace scenario {
namespace {
constexpr auto kBarRedraw = std::chrono::milliseconds(250);
constexpr auto kLineEvery = std::chrono::seconds(10);
constexpr uint64_t kBarWidth = 30;
}  // namespace

Progress::Progress(uint64_t count, std::ostream& stream) : total(count), out(stream) {
  const char* asked = std::getenv("GLIMMERFADE_SCENARIO_PROGRESS");
  const std::string chosen = asked ? asked : "";
  if (chosen == "bar") mode = Mode::Bar;
  if (chosen == "lines") mode = Mode::Lines;
}

void Progress::Update(uint64_t done, uint64_t findings, const std::string& activity) {
  if (mode == Mode::Silent) return;
  const Clock::time_point now = Clock::now();
  const bool last = done == total && activity.empty();
  if (!last && now - shown < (mode == Mode::Bar ? kBarRedraw : kLineEvery)) return;
  shown = now;
  if (mode == Mode::Lines) {
    out << "  " << Text(done, findings, activity) << std::endl;
    return;
  }
  const uint64_t filled = total == 0 ? kBarWidth : done * kBarWidth / total;
  out << "\r\033[K[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] "
      << Text(done, findings, activity) << std::flush;
  barShown = true;
}

void Progress::Clear() {
  if (!barShown) return;
  out << "\r\033[K" << std::flush;
  barShown = false;
}

std::string Progress::Text(uint64_t done, uint64_t findings, const std::string& activity) const {
  std::ostringstream text;
  text << done << "/" << total << " scenarios, " << findings << (findings == 1 ? " finding, " : " findings, ")
       << TimeLeft(done);
  if (!activity.empty()) text << "; " << activity;
  return text.str();
}

// The mean time of a scenario so far, for each one still to run.
std::string Progress::TimeLeft(uint64_t done) const {
  if (done == 0) return "time left not yet known";
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  const auto seconds =
      static_cast<uint64_t>(elapsed / static_cast<double>(done) * static_cast<double>(total - done));
  std::ostringstream text;
  text << "~" << seconds / 60 << " min " << (seconds % 60 < 10 ? "0" : "") << seconds % 60 << " s left";
  return text.str();
}

}  // namespace scenario
