// Placeholder; replaced by the replication sender and receiver.
#include "plugin/Shroudweave.h"

void Shroudweave::onInvisJsonChanged(std::string, CVarWrapper) {}
void Shroudweave::onNetcodeMessage(const std::string&, PriWrapper) {}
