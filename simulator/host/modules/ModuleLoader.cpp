// Opening plug-in modules: one implementation per platform.

#include "host/modules/ModuleLoader.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>

#include <set>
#endif

namespace sim {

#if defined(_WIN32)

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return "";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                      nullptr);
  return result;
}

// The system's text for an error code. Some texts hold an insert ("%1 is not a
// valid Win32 application"); it is left unexpanded and then replaced by the file.
std::string ErrorText(DWORD code, const std::filesystem::path& file) {
  wchar_t* buffer = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length =
      FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length ? std::wstring(buffer, length) : L"";
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  for (size_t at = text.find(L"%1"); at != std::wstring::npos; at = text.find(L"%1", at))
    text.replace(at, 2, file.filename().wstring());
  std::string result = text.empty() ? "unknown error" : Utf8(text);
  return result + " (error " + std::to_string(code) + ")";
}

}  // namespace

void* OpenModule(const std::filesystem::path& file, std::string& error) {
  // The module's own imports are looked for next to it first, which needs a full path.
  std::error_code ignored;
  std::filesystem::path full = std::filesystem::absolute(file, ignored);
  if (full.empty()) full = file;
  HMODULE module = LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) error = ErrorText(GetLastError(), full);
  return reinterpret_cast<void*>(module);
}

void* ModuleSymbol(void* module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void CloseModule(void* module) {
  if (module) FreeLibrary(static_cast<HMODULE>(module));
}

#else

#if defined(__EMSCRIPTEN__)
namespace {
// emscripten's dlclose keeps a module, and its dlopen of a path opened before
// returns that first instance, statics and all. A file opened again is
// therefore opened as a copy under a name of its own, so that a plug-in
// unloaded and loaded again starts fresh, as on Linux and Windows; the
// memory of the earlier instance is never given back.
std::filesystem::path FreshPath(const std::filesystem::path& file, std::string& error) {
  static std::set<std::string> opened;
  static unsigned copies = 0;
  if (opened.insert(file.string()).second) return file;
  const std::filesystem::path copy =
      file.parent_path() / (file.stem().string() + ".load-" + std::to_string(++copies) + kModuleSuffix);
  std::error_code failed;
  std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing, failed);
  if (failed) error = "cannot copy the module to load it again: " + failed.message();
  return failed ? std::filesystem::path() : copy;
}
}  // namespace
#endif

void* OpenModule(const std::filesystem::path& file, std::string& error) {
#if defined(__EMSCRIPTEN__)
  const std::filesystem::path path = FreshPath(file, error);
  if (path.empty()) return nullptr;
  dlerror();
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (path != file) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);  // read whole by dlopen
  }
#else
  dlerror();
  void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
  if (!module) {
    const char* text = dlerror();
    error = text ? text : "unknown error";
  }
  return module;
}

void* ModuleSymbol(void* module, const char* name) { return module ? dlsym(module, name) : nullptr; }

void CloseModule(void* module) {
  if (module) dlclose(module);
}

#endif

}  // namespace sim
