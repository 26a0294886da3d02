// A plug-in that owns a NetcodeManager under test control, so tests can create
// and destroy bridges, send any text, and see exactly what is delivered.
//   "probe_bridge" 1: make a new bridge (named "Shroudweave"); 0: destroy it.
//   "probe_send" TEXT: SendNewMessage(TEXT).
//   Deliveries: "probe_received" counts them; "probe_content" and
//   "probe_sender" (decimal address) hold the last one.
#include <memory>

#include "netcode/NetcodeManager.h"
#include "pluginsdk.h"

CORVANE_PLUGIN_ENTRY uintptr_t getPlugin();
CORVANE_PLUGIN_ENTRY void deleteMe();
CORVANE_PLUGIN_ENTRY PluginDescriptor exports;

namespace {

class BridgeProbe;
std::shared_ptr<BridgeProbe> pluginInstance;

class BridgeProbe : public Corvane::Plugin::CorvanePlugin {
 public:
  std::shared_ptr<NetcodeManager> bridge;

  void onLoad() override {
    Register("probe_received", "0");
    Register("probe_content", "");
    Register("probe_sender", "");
    Register("probe_send", "").addOnValueChanged([](std::string, CVarWrapper cvar) {
      if (pluginInstance && pluginInstance->bridge)
        pluginInstance->bridge->SendNewMessage(cvar.getStringValue());
    });
    Register("probe_bridge", "").addOnValueChanged([](std::string, CVarWrapper cvar) {
      if (!pluginInstance) return;
      if (cvar.getStringValue() == "1") pluginInstance->MakeBridge();
      if (cvar.getStringValue() == "0") pluginInstance->bridge.reset();
    });
    MakeBridge();
  }

 private:
  CVarWrapper Register(const char* name, const char* value) {
    return cvarManager->registerCvar(name, value, "bridge probe", true, false, 0.0f, false, 0.0f, false);
  }

  void MakeBridge() {
    PluginDescriptor info = exports;
    info.pluginClass = "Shroudweave";
    std::shared_ptr<CVarManagerWrapper> cvars = cvarManager;
    bridge.reset();
    bridge = std::make_shared<NetcodeManager>(
        cvarManager, gameWrapper, info, [cvars](const std::string& content, PriWrapper sender) {
          CVarWrapper count = cvars->getCvar("probe_received");
          count.setValue(count.getIntValue() + 1);
          cvars->getCvar("probe_content").setValue(content);
          cvars->getCvar("probe_sender").setValue(std::to_string(sender.memory_address));
        });
  }
};

}  // namespace

uintptr_t getPlugin() {
  if (!pluginInstance) pluginInstance = std::shared_ptr<BridgeProbe>(new BridgeProbe());
  return reinterpret_cast<uintptr_t>(&pluginInstance);
}

void deleteMe() { pluginInstance.reset(); }

PluginDescriptor exports = {CORVANE_SDK_VERSION, __FILE__,   "BridgeProbe", "BridgeProbe", "0.0.1",
                            PLUGINTYPE_FREEPLAY, &getPlugin, &deleteMe};
