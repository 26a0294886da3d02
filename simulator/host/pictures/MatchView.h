#pragma once

// The match view: the arena seen from one client's seat, drawn into a Dear
// ImGui draw list. Each car is a team-coloured shape with its player's name;
// a car hidden on that client is a faint outline marked "hidden"; the
// viewer's own car is framed and marked "you"; a legend runs along the foot.
// The browser page and the native pictures (sim screenshot FILE view) both
// draw it with this code.

#include <imgui.h>
#include <imgui_internal.h>

#include <vector>

#include "host/base/SimApi.h"
#include "host/pictures/MatchScene.h"

namespace sim {

// A view's size in Dear ImGui's units, unless the caller chooses another.
inline const ImVec2 kMatchViewSize(400.0f, 260.0f);

// Where each car of the scene is drawn in a view at `origin` of `size`, in
// the scene's order: the body's rectangle.
CORVANE_SIM_API std::vector<ImRect> CarPlaces(const MatchScene& scene, ImVec2 origin, ImVec2 size);

// Draws the view; text in the draw list's current font.
CORVANE_SIM_API void DrawMatchView(ImDrawList& list, const MatchScene& scene, ImVec2 origin, ImVec2 size);

}  // namespace sim
