#pragma once

#include <memory>
#include <vector>

#include "../CorvanePlugin.h"
#include "ObjectWrapper.h"

class CORVANE_SDK_API PluginManagerWrapper : public ObjectWrapper {
 public:
  explicit PluginManagerWrapper(uintptr_t mem = 0) : ObjectWrapper(mem) {}
  // Host-owned list of the loaded plug-ins, in load order.
  std::vector<std::shared_ptr<Corvane::Plugin::LoadedPlugin>>* GetLoadedPlugins();
};
