#pragma once

// Drawing a settings-window frame into pixels, off screen.
//
// The renderer lives in a module of its own (host/pictures), which the host
// loads only when a picture is asked for: it brings in Mesa's software OpenGL
// and LLVM, whose loading would otherwise slow the start of every program
// linked with the host. Builds without it answer with an error instead.

#include <imgui.h>

#include <memory>
#include <string>
#include <vector>

namespace sim {

// Pixels in rows from the top, 4 bytes (red, green, blue, alpha) each.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgba;
};

// One picture's renderer. Its functions return an empty text on success and
// what failed otherwise; none of them throws.
class PictureRenderer {
 public:
  virtual ~PictureRenderer() = default;

  // Makes an OpenGL buffer of the given size and attaches Dear ImGui's OpenGL
  // renderer to the context, whose font atlas then names the renderer's font
  // texture: frames built from now on draw their text from it. The destructor
  // takes all of that away again, so a context never keeps a texture name
  // that another picture has deleted.
  virtual std::string Begin(ImGuiContext* context, int width, int height) = 0;
  // Renders the draw data of the context's last frame into the picture.
  virtual std::string Render(ImDrawData* drawData, Picture& picture) = 0;
  // The picture as a PNG file's bytes.
  virtual std::string EncodePng(const Picture& picture, std::string& png) = 0;
};

// A new renderer, or nullptr with the reason in `error`.
std::unique_ptr<PictureRenderer> LoadPictureRenderer(std::string& error);

// The name the renderer module exports its factory under, and its type.
inline constexpr const char* kPictureRendererFactory = "CorvaneCreatePictureRenderer";
using PictureRendererFactory = PictureRenderer* (*)();

}  // namespace sim
