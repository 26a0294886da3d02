#include "VisibilityTable.h"
#include "wrappers/CVarManagerWrapper.h"

namespace glimmerfade {

// Replaces the whole value of "invis_json"; its on-change callbacks run before
// this returns. The table comes by value: the caller's own copy, which nothing
// else holds while the callbacks run.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void StoreInvisibilityStates(CVarManagerWrapper& cvarManager, VisibilityTable playerInvisibilityStates) {
  CVarWrapper invisJson = cvarManager.getCvar(kInvisJsonCvar);
  invisJson.setValue(EncodeVisibilityTable(playerInvisibilityStates));
}

}  // namespace glimmerfade
