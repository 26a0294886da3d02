// A plug-in whose settings page can be made to throw half-way through a tree
// node, or to unload its own plug-in while it is drawn, to see the host's
// settings window report the one and survive the other.
#include <imgui.h>

#include <memory>
#include <stdexcept>

#include "pluginsdk.h"

namespace {

class FaultyPanel : public Corvane::Plugin::CorvanePlugin, public Corvane::Plugin::PluginSettingsWindow {
 public:
  void DrawSettingsPanel() override {
    if (ImGui::Checkbox("Unload this plug-in", &unload))
      cvarManager->executeCommand("plugin unload FaultyPanel");
    ImGui::Checkbox("Throw inside the node", &armed);
    if (!ImGui::TreeNode("Node")) return;
    if (armed) throw std::runtime_error("page fault on purpose");
    ImGui::TextUnformatted("inside");
    ImGui::TreePop();
  }
  std::string GetDisplayName() override { return "Faulty panel"; }
  void AttachImGuiContext(uintptr_t ctx) override {
    ImGui::SetCurrentContext(reinterpret_cast<ImGuiContext*>(ctx));
  }

 private:
  bool armed = false;
  bool unload = false;
};

std::shared_ptr<FaultyPanel> pluginInstance;

}  // namespace

CORVANE_PLUGIN_ENTRY uintptr_t getPlugin();
CORVANE_PLUGIN_ENTRY void deleteMe();
CORVANE_PLUGIN_ENTRY PluginDescriptor exports;

uintptr_t getPlugin() {
  if (!pluginInstance) pluginInstance = std::shared_ptr<FaultyPanel>(new FaultyPanel());
  return reinterpret_cast<uintptr_t>(&pluginInstance);
}

void deleteMe() { pluginInstance.reset(); }

PluginDescriptor exports = {CORVANE_SDK_VERSION, __FILE__,   "FaultyPanel", "Faulty panel", "0.0.1",
                            PLUGINTYPE_FREEPLAY, &getPlugin, &deleteMe};
