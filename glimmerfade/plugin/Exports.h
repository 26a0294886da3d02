#pragma once

#include <cstdint>

#include "pluginsdk.h"

// The module's entry points, exported with plain names: the host reads the
// information record and gets and lets go of the one plug-in object.
CORVANE_PLUGIN_ENTRY_FUNCTION uintptr_t getPlugin();
CORVANE_PLUGIN_ENTRY_FUNCTION void deleteMe();
CORVANE_PLUGIN_ENTRY PluginDescriptor exports;
