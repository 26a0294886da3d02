#include "Progress.h"

#include <cstdlib>
#include <sstream>

namespace scenario {
namespace {
constexpr auto kBarRedraw = std::chrono::milliseconds(250);
constexpr auto kLineEvery = std::chrono::seconds(10);
constexpr uint64_t kBarWidth = 30;
}  // namespace

Progress::Progress(uint64_t total, std::ostream& out) : total_(total), out_(out) {
  const char* asked = std::getenv("GLIMMERFADE_SCENARIO_PROGRESS");
  const std::string mode = asked ? asked : "";
  if (mode == "bar") mode_ = Mode::Bar;
  if (mode == "lines") mode_ = Mode::Lines;
}

void Progress::Update(uint64_t done, uint64_t findings, const std::string& activity) {
  if (mode_ == Mode::Silent) return;
  const Clock::time_point now = Clock::now();
  const bool last = done == total_ && activity.empty();
  if (!last && now - shown_ < (mode_ == Mode::Bar ? kBarRedraw : kLineEvery)) return;
  shown_ = now;
  if (mode_ == Mode::Lines) {
    out_ << "  " << Text(done, findings, activity) << std::endl;
    return;
  }
  const uint64_t filled = total_ == 0 ? kBarWidth : done * kBarWidth / total_;
  out_ << "\r\033[K[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] "
       << Text(done, findings, activity) << std::flush;
  barShown_ = true;
}

void Progress::Clear() {
  if (!barShown_) return;
  out_ << "\r\033[K" << std::flush;
  barShown_ = false;
}

std::string Progress::Text(uint64_t done, uint64_t findings, const std::string& activity) const {
  std::ostringstream text;
  text << done << "/" << total_ << " scenarios, " << findings
       << (findings == 1 ? " finding, " : " findings, ") << TimeLeft(done);
  if (!activity.empty()) text << "; " << activity;
  return text.str();
}

// The mean time of a scenario so far, for each one still to run.
std::string Progress::TimeLeft(uint64_t done) const {
  if (done == 0) return "time left not yet known";
  const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
  const auto seconds =
      static_cast<uint64_t>(elapsed / static_cast<double>(done) * static_cast<double>(total_ - done));
  std::ostringstream text;
  text << "~" << seconds / 60 << " min " << (seconds % 60 < 10 ? "0" : "") << seconds % 60 << " s left";
  return text.str();
}

}  // namespace scenario
