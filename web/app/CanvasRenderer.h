#pragma once

// Draws Dear ImGui frames on one canvas of the page with WebGL2: a WebGL
// context on the canvas and a Dear ImGui context of its own that holds Dear
// ImGui's OpenGL3 renderer. The renderer makes its font texture from the
// given atlas and names it in the atlas, so frames built over that atlas
// afterwards draw their text from it; a texture belongs to one WebGL context,
// hence one atlas per canvas.
//
// Compiled without exceptions: emscripten calls a JavaScript function from
// code that may unwind through a table entry of that function, which some of
// its WebGL functions cannot have ("Missing signature").

#include <emscripten/html5.h>
#include <imgui.h>

#include <string>

class CanvasRenderer {
 public:
  // selector: the canvas, as "#id". See Ready() for whether WebGL2 was had.
  CanvasRenderer(std::string selector, ImFontAtlas* atlas);
  ~CanvasRenderer();
  CanvasRenderer(const CanvasRenderer&) = delete;
  CanvasRenderer& operator=(const CanvasRenderer&) = delete;

  // Whether the canvas has its WebGL2 context and renderer; if not, nothing is drawn.
  bool Ready() const { return ready_; }
  // The canvas's size in pixels.
  ImVec2 Size() const;
  // Clears the canvas and draws the frame, if there is one.
  void Render(ImDrawData* frame);

 private:
  std::string selector_;
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE gl_ = 0;
  ImGuiContext* imgui_ = nullptr;
  bool ready_ = false;
};
