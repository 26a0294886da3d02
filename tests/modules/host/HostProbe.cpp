// A plug-in module for the host tests. Its console variable "probe_action" makes
// it do one thing per value set, so a test can make a plug-in throw from each
// kind of callback, register things, name a file, or unload itself.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/wrappers/SimNetwork.h"
#include "pluginsdk.h"

namespace {

class HostProbe final : public Corvane::Plugin::CorvanePlugin {
 public:
  void onLoad() override {
    CVarWrapper failOnLoad = cvarManager->getCvar("probe_fail_onload");
    if (failOnLoad && failOnLoad.getBoolValue()) throw std::runtime_error("load failure");
    HostProbe* self = this;
    cvarManager->registerCvar("probe_action", "", "What the probe does next", true, false, 0, false, 0, false)
        .addOnValueChanged([self](std::string, CVarWrapper cvar) { self->Act(cvar.getStringValue()); });
    cvarManager->registerCvar("probe_saved", "default", "A saved probe value", true, false, 0, false, 0,
                              true);
  }

  void onUnload() override { cvarManager->log("probe onUnload"); }

 private:
  void Act(const std::string& action) {
    HostProbe* self = this;
    if (action == "throw") throw std::runtime_error("cvar failure");
    if (action == "throw-nonstd") throw 42;
    if (action == "hook-throw")
      gameWrapper->HookEventPost("Probe.Event",
                                 [](std::string) { throw std::runtime_error("hook failure"); });
    if (action == "timer-throw")
      gameWrapper->SetTimeout([](GameWrapper*) { throw std::runtime_error("timer failure"); }, 0.5f);
    if (action == "task-throw")
      gameWrapper->Execute([](GameWrapper*) { throw std::runtime_error("task failure"); });
    if (action == "register-all") RegisterAll();
    if (action == "name-file") cvarManager->log((std::filesystem::path("plugins") / "probe.txt").string());
    if (action == "unload-self") cvarManager->executeCommand("plugin unload HostProbe", false);
    if (action == "unload-in-hook")
      gameWrapper->HookEventPost("Probe.Event", [self](std::string) {
        self->cvarManager->executeCommand("plugin unload HostProbe", false);
        self->cvarManager->log("hook still running");
      });
    if (action.rfind("send ", 0) == 0) sim::NetSend(*gameWrapper, "probe", action.substr(5));
  }

  // One of each registration, all pointing back at this instance.
  void RegisterAll() {
    HostProbe* self = this;
    gameWrapper->HookEventPost("Probe.Event", [self](std::string) { self->cvarManager->log("probe hook"); });
    gameWrapper->SetTimeout([self](GameWrapper*) { self->cvarManager->log("probe timer"); }, 10.0f);
    gameWrapper->Execute([self](GameWrapper*) { self->cvarManager->log("probe task"); });
    cvarManager->getCvar("probe_saved").addOnValueChanged([self](std::string, CVarWrapper) {
      self->cvarManager->log("probe callback");
    });
    cvarManager->getCvar("probe_saved").bindTo(bound);
    sim::NetListen(*gameWrapper, "probe", [self](uintptr_t sender, const std::string& payload) {
      self->cvarManager->log("probe received " + payload + " from " + std::to_string(sender));
    });
  }

  std::shared_ptr<int> bound = std::make_shared<int>(0);
};

std::shared_ptr<HostProbe> probeInstance;

}  // namespace

CORVANE_PLUGIN_ENTRY uintptr_t getPlugin() {
  if (!probeInstance) probeInstance = std::make_shared<HostProbe>();
  return reinterpret_cast<uintptr_t>(&probeInstance);
}

CORVANE_PLUGIN_ENTRY void deleteMe() { probeInstance.reset(); }

CORVANE_PLUGIN_ENTRY PluginDescriptor exports;
PluginDescriptor exports = {
    CORVANE_SDK_VERSION, __FILE__,   "HostProbe", "Host Probe", "0.1",
    PLUGINTYPE_FREEPLAY, &getPlugin, &deleteMe,
};
