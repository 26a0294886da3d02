#pragma once

// Frames of match views: a Dear ImGui context of the host's own, with a font
// atlas of its own, whose frames show one or more scenes side by side. A
// renderer turns a frame's draw data into pixels: the off-screen renderer for
// native pictures, WebGL on the browser page (one context, and one atlas, per
// canvas, since a font texture belongs to one GL context).

#include <imgui.h>

#include <vector>

#include "host/base/SimApi.h"
#include "host/pictures/MatchScene.h"

namespace sim {

class CORVANE_SIM_API MatchViewFrame {
 public:
  MatchViewFrame();
  ~MatchViewFrame();
  MatchViewFrame(const MatchViewFrame&) = delete;
  MatchViewFrame& operator=(const MatchViewFrame&) = delete;

  // The context a renderer attaches to; its font atlas is this frame's own.
  ImGuiContext* Context() const { return context; }
  // Builds a frame that shows the scenes left to right, each in a view of
  // `viewSize`, and returns its draw data, valid until the next frame.
  // framebufferScale: pixels per unit, for a renderer that draws larger.
  ImDrawData* Draw(const std::vector<MatchScene>& scenes, ImVec2 viewSize, float framebufferScale = 1.0f);

 private:
  ImFontAtlas* atlas = nullptr;
  ImGuiContext* context = nullptr;
};

}  // namespace sim
