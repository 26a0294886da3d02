// Module entry points of the simulated NetcodePlugin.
#include <memory>
#include <utility>

#include "NetcodePlugin.h"

// The class name the host lists; variants of the module use a look-alike.
#ifndef NETCODE_CLASS_NAME
#define NETCODE_CLASS_NAME "NetcodePlugin"
#endif

namespace {
std::shared_ptr<NetcodePlugin> pluginInstance;
}

CORVANE_PLUGIN_ENTRY_FUNCTION uintptr_t getPlugin();
CORVANE_PLUGIN_ENTRY_FUNCTION void deleteMe();
CORVANE_PLUGIN_ENTRY PluginDescriptor exports;

uintptr_t getPlugin() {
  if (!pluginInstance) pluginInstance = std::shared_ptr<NetcodePlugin>(new NetcodePlugin());
  return reinterpret_cast<uintptr_t>(&pluginInstance);
}

void deleteMe() {
  std::shared_ptr<NetcodePlugin> last = std::move(pluginInstance);
  last.reset();
}

PluginDescriptor exports = {
    CORVANE_SDK_VERSION, __FILE__,   NETCODE_CLASS_NAME, NETCODE_CLASS_NAME, "1.0.0",
    PLUGINTYPE_FREEPLAY, &getPlugin, &deleteMe,
};
