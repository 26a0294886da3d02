// A stand-in for NetcodePlugin whose class name and set of console variables are
// chosen at build time, to see what the bridge accepts as its peer.
#include <memory>

#include "pluginsdk.h"

namespace {

class FakeNetcode final : public Corvane::Plugin::CorvanePlugin {
 public:
  void onLoad() override {
    if (FAKE_HAS_LEVEL) Register("NETCODE_Log_Level", "1");
    if (FAKE_HAS_IN) Register("NETCODE_Message_In", "");
    if (FAKE_HAS_OUT) Register("NETCODE_Message_Out", "");
  }

 private:
  void Register(const char* name, const char* value) {
    cvarManager->registerCvar(name, value, "fake peer variable", true, false, 0.0f, false, 0.0f, false);
  }
};

std::shared_ptr<FakeNetcode> pluginInstance;

}  // namespace

CORVANE_PLUGIN_ENTRY uintptr_t getPlugin();
CORVANE_PLUGIN_ENTRY void deleteMe();
CORVANE_PLUGIN_ENTRY PluginDescriptor exports;

uintptr_t getPlugin() {
  if (!pluginInstance) pluginInstance = std::shared_ptr<FakeNetcode>(new FakeNetcode());
  return reinterpret_cast<uintptr_t>(&pluginInstance);
}

void deleteMe() { pluginInstance.reset(); }

PluginDescriptor exports = {CORVANE_SDK_VERSION, __FILE__,   FAKE_CLASS, FAKE_CLASS, "0.0.1",
                            PLUGINTYPE_FREEPLAY, &getPlugin, &deleteMe};
