// Placeholder; replaced by the Dear ImGui panel.
#include "Shroudweave.h"

void Shroudweave::DrawSettingsPanel() {}
std::string Shroudweave::GetDisplayName() { return "Glimmerfade"; }
void Shroudweave::AttachImGuiContext(uintptr_t) {}
