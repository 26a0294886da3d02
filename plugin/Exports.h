#pragma once

#include <memory>

#include "Shroudweave.h"

// The module's one plug-in object; the host may hold further copies.
extern std::shared_ptr<Shroudweave> pluginInstance;

CORVANE_PLUGIN_ENTRY uintptr_t getPlugin();
CORVANE_PLUGIN_ENTRY void deleteMe();
CORVANE_PLUGIN_ENTRY PluginDescriptor exports;
