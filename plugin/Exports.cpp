#include "Exports.h"

std::shared_ptr<Shroudweave> pluginInstance;

uintptr_t getPlugin() {
  if (!pluginInstance) pluginInstance = std::shared_ptr<Shroudweave>(new Shroudweave());
  return reinterpret_cast<uintptr_t>(&pluginInstance);
}

void deleteMe() {
  if (!pluginInstance) return;
  // Empty the global first, then drop the reference: the destructor may run here.
  std::shared_ptr<Shroudweave> last = std::move(pluginInstance);
  pluginInstance.reset();
  last.reset();
}

PluginDescriptor exports = {
    CORVANE_SDK_VERSION, GLIMMERFADE_SOURCE_PATH, "Shroudweave", "Glimmerfade", "1.0.0.50",
    PLUGINTYPE_FREEPLAY, &getPlugin, &deleteMe,
};
