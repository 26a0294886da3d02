// Dear ImGui's own OpenGL2 renderer over Mesa's off-screen software OpenGL
// (OSMesa): draws a settings-window frame into memory with no display and no
// GPU, and encodes the pixels as PNG. Built as a module of its own, which the
// host loads when a picture is first asked for.
#include <GL/osmesa.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>
#include <stb_image_write.h>

#include <exception>
#include <mutex>
#include <new>

#include "host/pictures/PictureRenderer.h"

namespace sim {
namespace {

// Far beyond any settings window, well inside what Mesa accepts.
constexpr int kMaxSide = 8192;

// One OpenGL context for the whole process, made for the first picture and
// kept for the next ones: Mesa compiles its drawing code for each new context,
// which takes longer than drawing a picture, and does not give back all of a
// context's memory when it is destroyed. A picture holds it from Begin to the
// renderer's end.
struct SharedGlContext {
  std::mutex inUse;
  OSMesaContext context = nullptr;
};

SharedGlContext& TheGlContext() {
  static auto* shared = new SharedGlContext();  // never destroyed: Mesa may still use it at exit
  return *shared;
}

class OffscreenRenderer final : public PictureRenderer {
 public:
  OffscreenRenderer() = default;
  OffscreenRenderer(const OffscreenRenderer&) = delete;
  OffscreenRenderer& operator=(const OffscreenRenderer&) = delete;
  ~OffscreenRenderer() override;

  std::string Begin(ImGuiContext* context, int width, int height) override;
  std::string Render(ImDrawData* drawData, Picture& picture) override;
  std::string EncodePng(const Picture& picture, std::string& png) override;

 private:
  std::string StartDrawing(int width, int height);
  std::string AttachImGuiRenderer(ImGuiContext* context);

  std::unique_lock<std::mutex> glInUse;
  bool drawing = false;                // the GL context draws into buffer
  ImGuiContext* attachedTo = nullptr;  // the context Dear ImGui's renderer is attached to
  Picture buffer;
};

OffscreenRenderer::~OffscreenRenderer() {
  if (attachedTo) {
    // Deletes the font texture and clears the atlas's texture name, while the
    // GL context that owns the texture is still current.
    ImGui::SetCurrentContext(attachedTo);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::SetCurrentContext(nullptr);
  }
  if (drawing) OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);  // before the buffer goes
}

std::string OffscreenRenderer::Begin(ImGuiContext* context, int width, int height) {
  if (glInUse) return "the picture renderer was begun twice";
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
    return "a picture of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels cannot be made";
  try {
    std::string error = StartDrawing(width, height);
    return error.empty() ? AttachImGuiRenderer(context) : error;
  } catch (const std::exception& error) {
    return std::string("the picture renderer failed: ") + error.what();
  }
}

// Takes the process's GL context, made on first use, and points it at a
// buffer of this picture's size.
std::string OffscreenRenderer::StartDrawing(int width, int height) {
  SharedGlContext& gl = TheGlContext();
  glInUse = std::unique_lock<std::mutex>(gl.inUse);
  if (!gl.context) gl.context = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
  if (!gl.context) return "Mesa cannot make an off-screen OpenGL context";
  buffer.width = width;
  buffer.height = height;
  buffer.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
  drawing = OSMesaMakeCurrent(gl.context, buffer.rgba.data(), GL_UNSIGNED_BYTE, width, height);
  if (!drawing)
    return "Mesa cannot draw into a buffer of " + std::to_string(width) + " x " + std::to_string(height);
  OSMesaPixelStore(OSMESA_Y_UP, 0);  // row 0 at the top, as PNG stores rows
  // When another OpenGL library is linked ahead of OSMesa, GL calls go there:
  // nothing is drawn and nothing fails. Its first sign is a missing version.
  if (!glGetString(GL_VERSION))
    return "OpenGL calls do not reach Mesa's off-screen context (no GL_VERSION); the renderer is linked "
           "against another OpenGL library";
  return "";
}

// Frames built after this refer to the font texture made here: Dear ImGui
// puts the atlas's texture name into every draw command as the frame is built.
std::string OffscreenRenderer::AttachImGuiRenderer(ImGuiContext* context) {
  ImGui::SetCurrentContext(context);
  if (ImGui::GetIO().BackendRendererUserData) return "the settings window has a renderer attached already";
  if (!ImGui_ImplOpenGL2_Init()) return "Dear ImGui's OpenGL2 renderer did not start";
  attachedTo = context;
  if (!ImGui_ImplOpenGL2_CreateFontsTexture()) return "Dear ImGui's font texture could not be made";
  return "";
}

std::string OffscreenRenderer::Render(ImDrawData* drawData, Picture& picture) {
  if (!attachedTo) return "the picture renderer was not begun";
  if (!drawData) return "the settings window has no frame to render";
  const int width = static_cast<int>(drawData->DisplaySize.x * drawData->FramebufferScale.x);
  const int height = static_cast<int>(drawData->DisplaySize.y * drawData->FramebufferScale.y);
  if (width != buffer.width || height != buffer.height) return "the frame does not fit the picture's buffer";
  try {
    ImGui::SetCurrentContext(attachedTo);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(drawData);
    glFinish();  // Mesa draws on threads of its own: the buffer is complete only now
    if (const GLenum error = glGetError(); error != GL_NO_ERROR)
      return "OpenGL reported error " + std::to_string(error) + " while rendering";
    // Blending leaves alpha below 255 where translucent widgets were drawn;
    // on screen the window is opaque.
    picture = buffer;
    for (size_t alpha = 3; alpha < picture.rgba.size(); alpha += 4) picture.rgba[alpha] = 255;
    return "";
  } catch (const std::exception& error) {
    return std::string("the picture renderer failed: ") + error.what();
  }
}

void AppendBytes(void* target, void* data, int size) {
  try {
    static_cast<std::string*>(target)->append(static_cast<const char*>(data), static_cast<size_t>(size));
  } catch (const std::exception&) {
    static_cast<std::string*>(target)->clear();  // too large: reported by the caller as an empty result
  }
}

std::string OffscreenRenderer::EncodePng(const Picture& picture, std::string& png) {
  png.clear();
  const size_t expected = static_cast<size_t>(picture.width) * picture.height * 4;
  if (picture.width <= 0 || picture.height <= 0 || picture.rgba.size() != expected)
    return "the picture has no pixels to encode";
  if (!stbi_write_png_to_func(&AppendBytes, &png, picture.width, picture.height, 4, picture.rgba.data(),
                              picture.width * 4) ||
      png.empty())
    return "the picture could not be encoded as PNG";
  return "";
}

}  // namespace
}  // namespace sim

extern "C" __attribute__((visibility("default"))) sim::PictureRenderer* CorvaneCreatePictureRenderer() {
  return new (std::nothrow) sim::OffscreenRenderer();
}
