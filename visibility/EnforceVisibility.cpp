// Placeholder; replaced by the enforcement pass.
#include "plugin/Shroudweave.h"

void Shroudweave::EnforceVisibility() {}
