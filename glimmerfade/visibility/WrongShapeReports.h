#pragma once

#include <deque>
#include <string>

class CVarManagerWrapper;

namespace glimmerfade {

// The start of the console line for an "invis_json" that is JSON but not a
// visibility table; the JSON library's reason follows.
inline constexpr char kWrongShapeReport[] = "invis_json does not hold a visibility table: ";

// The "invis_json" texts reported as JSON of the wrong shape, so that the
// enforcement pass, which meets the same text on every pass, and the
// replication sender report each of them once. The latest 32 texts are
// remembered: a value is reported once while it is remembered, and again
// only after 32 other wrong values have been reported since.
//
// It belongs to the game thread, where the pass and the sender's task run and
// read "invis_json" when they run; a value replaced before either meets it is
// never reported.
class WrongShapeReports {
 public:
  // Writes the line for text unless text was reported before.
  void ReportOnce(CVarManagerWrapper& cvars, const std::string& text, const std::string& reason);

  bool WasReported(const std::string& text) const;
  void Remember(const std::string& text);

  // Texts remembered at most.
  static constexpr size_t kRemembered = 32;

 private:
  std::deque<std::string> reported;  // oldest first
};

}  // namespace glimmerfade
