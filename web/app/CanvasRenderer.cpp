#include "CanvasRenderer.h"

#include <GLES3/gl3.h>
#include <backends/imgui_impl_opengl3.h>

namespace {
// Makes a Dear ImGui context current for as long as it lives.
struct ImGuiContextScope {
  explicit ImGuiContextScope(ImGuiContext* context) : previous(ImGui::GetCurrentContext()) {
    ImGui::SetCurrentContext(context);
  }
  ~ImGuiContextScope() { ImGui::SetCurrentContext(previous); }
  ImGuiContext* previous;
};
}  // namespace

CanvasRenderer::CanvasRenderer(std::string selector, ImFontAtlas* atlas) : selector_(std::move(selector)) {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.alpha = false;
  attributes.antialias = false;
  // The tests read the pixels back after the frame is shown.
  attributes.preserveDrawingBuffer = true;
  gl_ = emscripten_webgl_create_context(selector_.c_str(), &attributes);
  if (gl_ <= 0) return;
  emscripten_webgl_make_context_current(gl_);
  imgui_ = ImGui::CreateContext(atlas);
  ImGuiContextScope scope(imgui_);
  ImGui::GetIO().IniFilename = nullptr;
  ready_ = ImGui_ImplOpenGL3_Init("#version 300 es") && ImGui_ImplOpenGL3_CreateDeviceObjects();
}

CanvasRenderer::~CanvasRenderer() {
  if (gl_ <= 0) return;
  emscripten_webgl_make_context_current(gl_);
  {
    ImGuiContextScope scope(imgui_);
    ImGui_ImplOpenGL3_Shutdown();
  }
  ImGui::DestroyContext(imgui_);
  emscripten_webgl_destroy_context(gl_);
}

ImVec2 CanvasRenderer::Size() const {
  int width = 0, height = 0;
  emscripten_get_canvas_element_size(selector_.c_str(), &width, &height);
  return ImVec2(static_cast<float>(width), static_cast<float>(height));
}

void CanvasRenderer::Render(ImDrawData* frame) {
  if (!ready_) return;
  emscripten_webgl_make_context_current(gl_);
  const ImVec2 size = Size();
  glViewport(0, 0, static_cast<GLsizei>(size.x), static_cast<GLsizei>(size.y));
  glClearColor(0.09f, 0.1f, 0.13f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  if (!frame) return;
  ImGuiContextScope scope(imgui_);
  ImGui_ImplOpenGL3_RenderDrawData(frame);
}
