#pragma once

#include <memory>
#include <string>

#include "PluginDescriptor.h"
#include "SdkApi.h"

class CVarManagerWrapper;
class GameWrapper;

namespace Corvane {
namespace Plugin {

// Base of every plug-in object. The host sets both members before onLoad.
// Deliberately without a virtual destructor: the host never deletes through it.
//
// Visual C++ warns (C4251) that the exported class's std::shared_ptr members
// have no DLL interface. That is the host's design: plug-ins are built with
// the compiler and standard library the host is built with, so host and
// plug-in share std::shared_ptr's layout and code.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4251)
#endif
class CORVANE_PLUGIN_EXPORT CorvanePlugin {
 public:
  std::shared_ptr<CVarManagerWrapper> cvarManager;
  std::shared_ptr<GameWrapper> gameWrapper;

  virtual void onLoad() {}
  virtual void onUnload() {}
};
#if defined(_MSC_VER)
#pragma warning(pop)
#endif

// The host's settings-window interface: a plug-in that implements it gets a
// page in the settings window.
class CORVANE_PLUGIN_EXPORT PluginSettingsWindow {
 public:
  virtual ~PluginSettingsWindow() {}
  virtual void DrawSettingsPanel() = 0;
  virtual std::string GetDisplayName() = 0;
  virtual void AttachImGuiContext(uintptr_t ctx) = 0;
};

// One entry of the host's list of loaded plug-ins.
struct LoadedPlugin {
  PluginDescriptor* _details = nullptr;
  std::shared_ptr<CorvanePlugin> _plugin;
  void* _module = nullptr;
  std::string _filename;
};

}  // namespace Plugin
}  // namespace Corvane

// The module entry points every plug-in exports with plain names.
#define CORVANE_PLUGIN_ENTRY extern "C" CORVANE_PLUGIN_EXPORT
// The entry functions. A WebAssembly side module's default-visibility names
// are bound once for the whole process, the first loaded module's definition
// winning; there they stay hidden, and the host reaches them through the
// record, whose copy in each module points at that module's own.
#if defined(__EMSCRIPTEN__)
#define CORVANE_PLUGIN_ENTRY_FUNCTION extern "C" __attribute__((visibility("hidden")))
#else
#define CORVANE_PLUGIN_ENTRY_FUNCTION CORVANE_PLUGIN_ENTRY
#endif
