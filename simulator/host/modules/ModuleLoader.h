#pragma once

// Opening plug-in modules and finding their exports: dlopen on Linux,
// LoadLibraryExW on Windows. Module files carry the platform's suffix.

#include <filesystem>
#include <string>

#include "host/base/SimApi.h"

namespace sim {

#if defined(_WIN32)
inline constexpr const char* kModuleSuffix = ".dll";
#else
inline constexpr const char* kModuleSuffix = ".so";
#endif

// "NAME" -> "NAME.dll" or "NAME.so".
inline std::string ModuleFileName(const std::string& name) { return name + kModuleSuffix; }

// Loads the module file and resolves all its imports. Returns nullptr and sets
// error to a readable reason when it cannot.
CORVANE_SIM_API void* OpenModule(const std::filesystem::path& file, std::string& error);
// An exported function or data item of an open module, or nullptr.
CORVANE_SIM_API void* ModuleSymbol(void* module, const char* name);
// Releases what OpenModule returned; the module is unmapped with its last user.
CORVANE_SIM_API void CloseModule(void* module);

}  // namespace sim
