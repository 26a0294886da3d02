#include "Exports.h"

#include <cstddef>
#include <memory>
#include <utility>

#include "GlimmerfadeVersion.h"
#include "PluginNames.h"
#include "Shroudweave.h"

using glimmerfade::Shroudweave;

namespace {
// The module's one plug-in object; the host may hold further copies.
std::shared_ptr<Shroudweave> pluginInstance;

// The host reads pluginInstance, whose address getPlugin hands out, as a
// std::shared_ptr<CorvanePlugin>. That holds the same pointer only while
// CorvanePlugin is Shroudweave's first base, at offset 0: its members lie at
// the same offsets in both. offsetof on a class with virtual functions is
// conditionally supported, and GCC, clang, clang-cl and Visual C++ all
// support it; GCC and clang (clang-cl too, which is not __GNUC__) warn of it
// with -Winvalid-offsetof, which this one use of it is silenced for. Visual
// C++ has no such warning.
#if defined(__GNUC__) || defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
static_assert(offsetof(Shroudweave, cvarManager) == offsetof(Corvane::Plugin::CorvanePlugin, cvarManager),
              "CorvanePlugin must be Shroudweave's first base: the host reads the instance through it");
#if defined(__GNUC__) || defined(__clang__)
#pragma GCC diagnostic pop
#endif
static_assert(sizeof(std::shared_ptr<Shroudweave>) == sizeof(std::shared_ptr<Corvane::Plugin::CorvanePlugin>),
              "the host reads one shared pointer as the other");
}  // namespace

namespace {
// The record as the module's own code reads it, under a name no other module
// shares: where names are bound once for the whole process (a WebAssembly
// side module), "exports" may be the first loaded module's.
constexpr PluginDescriptor kDescriptor = {
    CORVANE_SDK_VERSION,        // sdkVersion
    GLIMMERFADE_SOURCE_PATH,    // sourcePath
    glimmerfade::kPluginClass,  // pluginClass
    glimmerfade::kDisplayName,  // displayName
    GLIMMERFADE_VERSION_TEXT,   // versionText
    PLUGINTYPE_FREEPLAY,        // typeFlags
    &getPlugin,
    &deleteMe,
};
}  // namespace

// Initialised from a constant: it holds its values before any code runs.
PluginDescriptor exports = kDescriptor;

uintptr_t getPlugin() {
  // The object and the shared pointer's control block are allocated apart.
  // NOLINTNEXTLINE(modernize-make-shared)
  if (!pluginInstance) pluginInstance = std::shared_ptr<Shroudweave>(new Shroudweave(kDescriptor));
  return reinterpret_cast<uintptr_t>(&pluginInstance);
}

void deleteMe() {
  if (!pluginInstance) return;
  // Empty the global first, then drop the reference: the destructor may run here.
  std::shared_ptr<Shroudweave> last = std::move(pluginInstance);
  pluginInstance.reset();
  last.reset();
}
