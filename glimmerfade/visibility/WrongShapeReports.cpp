#include "WrongShapeReports.h"

#include <algorithm>

#include "wrappers/CVarManagerWrapper.h"

namespace glimmerfade {

void WrongShapeReports::ReportOnce(CVarManagerWrapper& cvars, const std::string& text,
                                   const std::string& reason) {
  if (WasReported(text)) return;
  Remember(text);
  cvars.log(kWrongShapeReport + reason);
}

bool WrongShapeReports::WasReported(const std::string& text) const {
  return std::find(reported.begin(), reported.end(), text) != reported.end();
}

void WrongShapeReports::Remember(const std::string& text) {
  if (WasReported(text)) return;
  if (reported.size() == kRemembered) reported.pop_front();
  reported.push_back(text);
}

}  // namespace glimmerfade
