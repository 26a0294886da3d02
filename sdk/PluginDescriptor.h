#pragma once

#include <cstddef>
#include <cstdint>

// Information record every plug-in module exports as "exports". The host reads
// it at fixed offsets, so its layout is checked at compile time.
struct PluginDescriptor {
  int sdkVersion;
  const char* sourcePath;
  const char* pluginClass;
  const char* displayName;
  const char* versionText;
  int typeFlags;
  uintptr_t (*getPluginFn)();
  void (*deleteMeFn)();
};

static_assert(sizeof(void*) == 8, "plug-in modules are 64-bit");
static_assert(sizeof(PluginDescriptor) == 64, "PluginDescriptor is 64 bytes");
static_assert(offsetof(PluginDescriptor, sdkVersion) == 0, "sdkVersion at 0");
static_assert(offsetof(PluginDescriptor, sourcePath) == 8, "sourcePath at 8");
static_assert(offsetof(PluginDescriptor, pluginClass) == 16, "pluginClass at 16");
static_assert(offsetof(PluginDescriptor, displayName) == 24, "displayName at 24");
static_assert(offsetof(PluginDescriptor, versionText) == 32, "versionText at 32");
static_assert(offsetof(PluginDescriptor, typeFlags) == 40, "typeFlags at 40");
static_assert(offsetof(PluginDescriptor, getPluginFn) == 48, "getPluginFn at 48");
static_assert(offsetof(PluginDescriptor, deleteMeFn) == 56, "deleteMeFn at 56");

// The SDK build this header set describes.
constexpr int CORVANE_SDK_VERSION = 95;

// Plug-in kinds (bits of typeFlags).
constexpr int PLUGINTYPE_FREEPLAY = 0x01;
