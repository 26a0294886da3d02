#pragma once

#include <cstddef>
#include <cstdint>

// Information record every plug-in module exports as "exports". The host reads
// it at fixed offsets, so its layout is checked at compile time: on x86-64 it
// is 64 bytes, and on a 32-bit target (wasm32) the same fields at the same
// places measured in pointers, 32 bytes. Each integer takes a pointer's room,
// its padding zero.
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

namespace plugin_descriptor_layout {
constexpr size_t kPointer = sizeof(void*);
static_assert(kPointer == 8 || kPointer == 4, "plug-in modules are 64-bit, or 32-bit in WebAssembly");
#if defined(_WIN32)
static_assert(kPointer == 8, "plug-in modules for Windows are 64-bit");
#endif
static_assert(sizeof(PluginDescriptor) == 8 * kPointer,
              "PluginDescriptor is 8 pointers long (64 bytes on x86-64)");
static_assert(offsetof(PluginDescriptor, sdkVersion) == 0, "sdkVersion at 0");
static_assert(offsetof(PluginDescriptor, sourcePath) == 1 * kPointer, "sourcePath at 8");
static_assert(offsetof(PluginDescriptor, pluginClass) == 2 * kPointer, "pluginClass at 16");
static_assert(offsetof(PluginDescriptor, displayName) == 3 * kPointer, "displayName at 24");
static_assert(offsetof(PluginDescriptor, versionText) == 4 * kPointer, "versionText at 32");
static_assert(offsetof(PluginDescriptor, typeFlags) == 5 * kPointer, "typeFlags at 40");
static_assert(offsetof(PluginDescriptor, getPluginFn) == 6 * kPointer, "getPluginFn at 48");
static_assert(offsetof(PluginDescriptor, deleteMeFn) == 7 * kPointer, "deleteMeFn at 56");
}  // namespace plugin_descriptor_layout

// The SDK build this header set describes.
constexpr int CORVANE_SDK_VERSION = 95;

// Plug-in kinds (bits of typeFlags).
constexpr int PLUGINTYPE_FREEPLAY = 0x01;
