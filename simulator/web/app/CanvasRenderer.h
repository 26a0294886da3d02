#pragma once

// Draws Dear ImGui frames on one canvas of the page with WebGL2. It sets the
// GL state it needs afresh for each frame rather than saving and restoring
// the context's, as Dear ImGui's own OpenGL3 renderer does: each state query
// is a round trip to the browser's GPU process, and those took most of a
// frame's time. It uploads its font texture from the given atlas and names
// it in the atlas, so frames built over that atlas afterwards draw their
// text from it; a texture belongs to one WebGL context, hence one atlas per
// canvas.
//
// Compiled without exceptions: emscripten calls a JavaScript function from
// code that may unwind through a table entry of that function, which some of
// its WebGL functions cannot have ("Missing signature").

#include <GLES3/gl3.h>
#include <emscripten/html5.h>
#include <imgui.h>

#include <string>

class CanvasRenderer {
 public:
  // canvas: the canvas, as "#id". See Ready() for whether WebGL2 was had.
  CanvasRenderer(std::string canvas, ImFontAtlas& atlas);
  ~CanvasRenderer();
  CanvasRenderer(const CanvasRenderer&) = delete;
  CanvasRenderer& operator=(const CanvasRenderer&) = delete;

  // Whether the canvas has its WebGL2 context and program; if not, nothing is drawn.
  bool Ready() const { return ready; }
  // The canvas's size in pixels.
  ImVec2 Size() const;
  // Makes the canvas this many pixels high (its width stays).
  void SetHeight(int height);
  // Clears the canvas and draws the frame, if there is one.
  void Render(const ImDrawData* frame);

 private:
  bool MakeProgram();
  void MakeBuffers();
  void UploadFont(ImFontAtlas& atlas);
  void DrawList(const ImDrawList& list, const ImDrawData& frame, ImVec2 pixels);

  std::string selector;
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE gl = 0;
  GLuint program = 0;
  GLint placeUniform = -1;  // scale and offset from display units to clip space
  GLuint vertexArray = 0;
  GLuint vertices = 0;
  GLuint indices = 0;
  GLuint font = 0;
  bool ready = false;
};
