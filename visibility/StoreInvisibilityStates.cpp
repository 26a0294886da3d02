#include "InvisibilityTable.h"
#include "wrappers/CVarManagerWrapper.h"

// Replaces the whole value of "invis_json"; its on-change callbacks run before
// this returns.
void StoreInvisibilityStates(CVarManagerWrapper& cvarManager, InvisibilityTable playerInvisibilityStates) {
  CVarWrapper invisJson = cvarManager.getCvar(kInvisJsonCvar);
  invisJson.setValue(EncodeInvisibilityStates(playerInvisibilityStates));
}
