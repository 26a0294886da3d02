#include "ResendSchedule.h"

namespace glimmerfade {

bool ResendSchedule::SecondPassed() {
  ++secondsSinceChange;
  // Kept within one steady period past the quick repeats, so it never overflows.
  if (secondsSinceChange > kLastQuickRepeat + kSteadySeconds) secondsSinceChange -= kSteadySeconds;
  if (secondsSinceChange > kLastQuickRepeat)
    return (secondsSinceChange - kLastQuickRepeat) % kSteadySeconds == 0;
  for (int second : kQuickRepeats)
    if (second == secondsSinceChange) return true;
  return false;
}

}  // namespace glimmerfade
