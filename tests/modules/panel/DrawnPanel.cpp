// A plug-in whose page draws a swatch straight into the window before its
// widgets: a row with nothing in Dear ImGui's log, so the host cannot pair the
// page's rows with its lines and must find the widgets by their labels.
#include <imgui.h>

#include <memory>

#include "pluginsdk.h"

namespace {

class DrawnPanel final : public Corvane::Plugin::CorvanePlugin, public Corvane::Plugin::PluginSettingsWindow {
 public:
  void DrawSettingsPanel() override {
    const ImVec2 at = ImGui::GetCursorScreenPos();
    ImGui::GetWindowDrawList()->AddRectFilled(at, ImVec2(at.x + 40.0f, at.y + 10.0f),
                                              IM_COL32(200, 60, 60, 255));
    ImGui::Dummy(ImVec2(40.0f, 10.0f));
    ImGui::Checkbox("Box", &box);
    if (!ImGui::TreeNode("Node")) return;
    ImGui::Checkbox("Inner", &inner);
    ImGui::TreePop();
  }
  std::string GetDisplayName() override { return "Drawn panel"; }
  void AttachImGuiContext(uintptr_t ctx) override {
    ImGui::SetCurrentContext(reinterpret_cast<ImGuiContext*>(ctx));
  }

 private:
  bool box = false;
  bool inner = false;
};

std::shared_ptr<DrawnPanel> pluginInstance;

}  // namespace

CORVANE_PLUGIN_ENTRY uintptr_t getPlugin();
CORVANE_PLUGIN_ENTRY void deleteMe();
CORVANE_PLUGIN_ENTRY PluginDescriptor exports;

uintptr_t getPlugin() {
  if (!pluginInstance) pluginInstance = std::shared_ptr<DrawnPanel>(new DrawnPanel());
  return reinterpret_cast<uintptr_t>(&pluginInstance);
}

void deleteMe() { pluginInstance.reset(); }

PluginDescriptor exports = {CORVANE_SDK_VERSION, __FILE__,   "DrawnPanel", "Drawn panel", "0.0.1",
                            PLUGINTYPE_FREEPLAY, &getPlugin, &deleteMe};
