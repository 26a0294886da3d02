#include "Exports.h"

#include <memory>
#include <utility>

#include "GlimmerfadeVersion.h"
#include "Shroudweave.h"

namespace {
// The module's one plug-in object; the host may hold further copies.
std::shared_ptr<Shroudweave> pluginInstance;
}  // namespace

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

namespace {
constexpr PluginDescriptor kDescriptor = {
    CORVANE_SDK_VERSION,       // sdkVersion
    GLIMMERFADE_SOURCE_PATH,   // sourcePath
    "Shroudweave",             // pluginClass
    kDisplayName,              // displayName
    GLIMMERFADE_VERSION_TEXT,  // versionText
    PLUGINTYPE_FREEPLAY,       // typeFlags
    &getPlugin,
    &deleteMe,
};
}  // namespace

// Initialised from a constant: it holds its values before any code runs.
PluginDescriptor exports = kDescriptor;

const PluginDescriptor& OwnDescriptor() { return kDescriptor; }
