// Frames of match views (host/pictures/MatchViewFrame.h): one window without
// decoration over the whole display, into whose draw list the views go.
#include "host/pictures/MatchViewFrame.h"

#include "host/pictures/MatchView.h"

namespace sim {
namespace {
constexpr ImGuiWindowFlags kViewFlags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                        ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoInputs |
                                        ImGuiWindowFlags_NoBackground;

// Leaves the current context as it was, whatever it is set to meanwhile.
struct ContextScope {
  ContextScope() : previous(ImGui::GetCurrentContext()) {}
  ~ContextScope() { ImGui::SetCurrentContext(previous); }
  ImGuiContext* previous;
};
}  // namespace

MatchViewFrame::MatchViewFrame() {
  ContextScope scope;
  atlas = IM_NEW(ImFontAtlas)();
  unsigned char* pixels = nullptr;
  int width = 0, height = 0;
  atlas->GetTexDataAsRGBA32(&pixels, &width, &height);
  context = ImGui::CreateContext(atlas);
  ImGui::SetCurrentContext(context);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
}

MatchViewFrame::~MatchViewFrame() {
  ContextScope scope;
  ImGui::DestroyContext(context);
  IM_DELETE(atlas);
}

ImDrawData* MatchViewFrame::Draw(const std::vector<MatchScene>& scenes, ImVec2 viewSize,
                                 float framebufferScale) {
  ContextScope scope;
  ImGui::SetCurrentContext(context);
  ImGuiIO& io = ImGui::GetIO();
  const float count = static_cast<float>(scenes.empty() ? 1 : scenes.size());
  io.DisplaySize = ImVec2(viewSize.x * count, viewSize.y);
  io.DisplayFramebufferScale = ImVec2(framebufferScale, framebufferScale);
  io.DeltaTime = 1.0f / 60.0f;
  ImGui::NewFrame();
  ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
  ImGui::SetNextWindowSize(io.DisplaySize);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
  ImGui::Begin("##match views", nullptr, kViewFlags);
  ImDrawList& list = *ImGui::GetWindowDrawList();
  for (size_t i = 0; i < scenes.size(); ++i)
    DrawMatchView(list, scenes[i], ImVec2(viewSize.x * static_cast<float>(i), 0.0f), viewSize);
  ImGui::End();
  ImGui::PopStyleVar(2);
  ImGui::Render();
  return ImGui::GetDrawData();
}

}  // namespace sim
