// The module as the host sees it before any plug-in code runs: its exports
// record read at raw offsets, its table of exported symbols (the ELF dynamic
// symbol table, or the PE export table and version resource of the DLL), and
// getPlugin/deleteMe.

#include <cxxabi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <elf.h>
#endif

#include "GlimmerfadeVersion.h"
#include "host/Simulation.h"
#include "host/modules/ModuleLoader.h"
#include "pluginsdk.h"

namespace {

const std::string kModulePath =
    std::string(CORVANE_SIM_MODULE_DIR) + "/" + sim::ModuleFileName("Glimmerfade");

using PluginPointer = std::shared_ptr<Corvane::Plugin::CorvanePlugin>;

// The module opened by the test itself, acting as a host would.
class OpenModule {
 public:
  OpenModule() : handle(sim::OpenModule(kModulePath, error)) {}
  ~OpenModule() { sim::CloseModule(handle); }
  void* Symbol(const char* name) const { return sim::ModuleSymbol(handle, name); }
  bool IsOpen() const { return handle != nullptr; }
  const std::string& Error() const { return error; }
  PluginPointer* GetPlugin() const {
    auto getPlugin = reinterpret_cast<uintptr_t (*)()>(Symbol("getPlugin"));
    return reinterpret_cast<PluginPointer*>(getPlugin());
  }
  void DeleteMe() const { reinterpret_cast<void (*)()>(Symbol("deleteMe"))(); }

 private:
  std::string error;
  void* handle;
};

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

template <class T>
T ReadAt(const unsigned char* record, size_t offset) {
  T value;
  std::memcpy(&value, record + offset, sizeof(T));
  return value;
}

std::string Demangled(const std::string& name) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> text(abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status),
                                              std::free);
  return status == 0 && text ? std::string(text.get()) : name;
}

#if defined(_WIN32)

template <class T>
bool ReadFileAt(const std::vector<char>& file, size_t offset, T& value) {
  if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
  std::memcpy(&value, file.data() + offset, sizeof(T));
  return true;
}

// The export table of a 64-bit PE file: the DLL name it gives and the names it exports.
struct PeExports {
  std::string dllName;
  std::vector<std::string> names;
};

PeExports ExportTable(const std::string& path) {
  const std::vector<char> file = ReadFile(path);
  PeExports exports;
  IMAGE_DOS_HEADER dos;
  IMAGE_NT_HEADERS64 nt;
  if (!ReadFileAt(file, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return exports;
  if (!ReadFileAt(file, static_cast<size_t>(dos.e_lfanew), nt) || nt.Signature != IMAGE_NT_SIGNATURE ||
      nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
    return exports;
  // Addresses in the table are relative to the loaded image; map them to file offsets.
  const size_t sections = static_cast<size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                          nt.FileHeader.SizeOfOptionalHeader;
  auto offsetOf = [&](DWORD rva) -> size_t {
    for (size_t i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER section;
      if (!ReadFileAt(file, sections + i * sizeof(section), section)) break;
      if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
        return rva - section.VirtualAddress + section.PointerToRawData;
    }
    return file.size();
  };
  auto textAt = [&](DWORD rva) {
    const size_t at = offsetOf(rva);
    return at < file.size() ? std::string(file.data() + at, strnlen(file.data() + at, file.size() - at)) : "";
  };
  const IMAGE_DATA_DIRECTORY& entry = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  IMAGE_EXPORT_DIRECTORY directory;
  if (entry.Size == 0 || !ReadFileAt(file, offsetOf(entry.VirtualAddress), directory)) return exports;
  exports.dllName = textAt(directory.Name);
  for (DWORD i = 0; i < directory.NumberOfNames; ++i) {
    DWORD nameRva = 0;
    if (!ReadFileAt(file, offsetOf(directory.AddressOfNames) + i * sizeof(DWORD), nameRva)) break;
    exports.names.push_back(textAt(nameRva));
  }
  return exports;
}

#else

// Names of the defined, visible symbols of an ELF64 file's dynamic symbol table.
std::vector<std::string> ExportedSymbols(const std::string& path) {
  const std::vector<char> file = ReadFile(path);
  std::vector<std::string> names;
  if (file.size() < sizeof(Elf64_Ehdr)) return names;
  Elf64_Ehdr header;
  std::memcpy(&header, file.data(), sizeof(header));
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64)
    return names;
  auto section = [&](size_t index) {
    Elf64_Shdr shdr;
    std::memcpy(&shdr, file.data() + header.e_shoff + index * header.e_shentsize, sizeof(shdr));
    return shdr;
  };
  for (size_t i = 0; i < header.e_shnum; ++i) {
    Elf64_Shdr symbols = section(i);
    if (symbols.sh_type != SHT_DYNSYM) continue;
    Elf64_Shdr strings = section(symbols.sh_link);
    for (size_t s = 0; s < symbols.sh_size / sizeof(Elf64_Sym); ++s) {
      Elf64_Sym sym;
      std::memcpy(&sym, file.data() + symbols.sh_offset + s * sizeof(Elf64_Sym), sizeof(sym));
      const int binding = ELF64_ST_BIND(sym.st_info);
      const bool visible = binding == STB_GLOBAL || binding == STB_WEAK || binding == STB_GNU_UNIQUE;
      if (sym.st_shndx == SHN_UNDEF || !visible || ELF64_ST_VISIBILITY(sym.st_other) != STV_DEFAULT) continue;
      names.push_back(file.data() + strings.sh_offset + sym.st_name);
    }
  }
  return names;
}

#endif

TEST(ShellExports, RecordReadsBackAtItsRawOffsets) {
  OpenModule module;
  ASSERT_TRUE(module.IsOpen()) << module.Error();
  const auto* record = static_cast<const unsigned char*>(module.Symbol("exports"));
  ASSERT_NE(record, nullptr);

  EXPECT_EQ(ReadAt<int32_t>(record, 0), 95);
  EXPECT_EQ(ReadAt<uint32_t>(record, 4), 0u) << "padding after sdkVersion";
  const std::string sourcePath = ReadAt<const char*>(record, 8);
  EXPECT_GE(sourcePath.size(), std::string("Shroudweave.cpp").size());
  EXPECT_EQ(sourcePath.substr(sourcePath.size() - 15), "Shroudweave.cpp");
  EXPECT_STREQ(ReadAt<const char*>(record, 16), "Shroudweave");
  EXPECT_STREQ(ReadAt<const char*>(record, 24), "Glimmerfade");
  EXPECT_STREQ(ReadAt<const char*>(record, 32), GLIMMERFADE_VERSION_TEXT);
  EXPECT_EQ(ReadAt<int32_t>(record, 40), 1);
  EXPECT_EQ(ReadAt<uint32_t>(record, 44), 0u) << "padding after typeFlags";
  EXPECT_EQ(ReadAt<void*>(record, 48), module.Symbol("getPlugin"));
  EXPECT_EQ(ReadAt<void*>(record, 56), module.Symbol("deleteMe"));
}

#if defined(_WIN32)

// The DLL exports by name exactly the entry points and the vtables and
// typeinfo of the host's two base classes. mingw-w64 exports no implicit or
// inline member of a dllexport class (a Visual C++ build would add the base
// class's implicit members); the host needs only the entry points.
TEST(ShellExports, ExportTableIsTheEntryPointsAndTheHostBaseClassesOnly) {
  const PeExports table = ExportTable(kModulePath);
  EXPECT_EQ(table.dllName, "Glimmerfade.dll");
  std::multiset<std::string> exported;
  for (const std::string& name : table.names) exported.insert(Demangled(name));
  const std::multiset<std::string> expected = {
      "deleteMe",
      "exports",
      "getPlugin",
      "typeinfo for Corvane::Plugin::CorvanePlugin",
      "typeinfo for Corvane::Plugin::PluginSettingsWindow",
      "vtable for Corvane::Plugin::CorvanePlugin",
      "vtable for Corvane::Plugin::PluginSettingsWindow",
  };
  EXPECT_EQ(exported, expected);
}

// One text of the version resource, in the resource's first language.
std::wstring VersionText(const std::vector<char>& resource, const std::wstring& key) {
  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(resource.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                      &length) ||
      length < sizeof(Translation))
    return L"";
  auto hex = [](WORD value) {
    std::wstring digits;
    for (int shift = 12; shift >= 0; shift -= 4) digits += L"0123456789abcdef"[(value >> shift) & 15];
    return digits;
  };
  const std::wstring name =
      L"\\StringFileInfo\\" + hex(translation->language) + hex(translation->codePage) + L"\\" + key;
  wchar_t* text = nullptr;
  if (!VerQueryValueW(resource.data(), name.c_str(), reinterpret_cast<void**>(&text), &length) || !text)
    return L"";
  return std::wstring(text, wcsnlen(text, length));
}

// The DLL whose version resource is read: the build's, or another copy named
// by GLIMMERFADE_DLL_UNDER_TEST (the release zip's check unpacks one).
std::wstring VersionResourceModule() {
  const char* other = std::getenv("GLIMMERFADE_DLL_UNDER_TEST");
  return std::filesystem::path(other && *other ? other : kModulePath).wstring();
}

TEST(ShellExports, VersionResourceGivesTheVersionAndTheOriginalFileName) {
  const std::wstring path = VersionResourceModule();
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &unused);
  ASSERT_GT(size, 0u) << "no version resource";
  std::vector<char> resource(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, resource.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(resource.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  // Four 16-bit numbers, the high word of each half first.
  const DWORD versionMS = MAKELONG(GLIMMERFADE_VERSION_MINOR, GLIMMERFADE_VERSION_MAJOR);
  const DWORD versionLS = MAKELONG(GLIMMERFADE_VERSION_TWEAK, GLIMMERFADE_VERSION_PATCH);
  EXPECT_EQ(fixed->dwFileVersionMS, versionMS);
  EXPECT_EQ(fixed->dwFileVersionLS, versionLS);
  EXPECT_EQ(fixed->dwProductVersionMS, versionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, versionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  const std::pair<std::wstring, std::wstring> texts[] = {
      {L"FileVersion", L"" GLIMMERFADE_VERSION_TEXT},
      {L"ProductVersion", L"" GLIMMERFADE_VERSION_TEXT},
      {L"OriginalFilename", L"Shroudweave.dll"},
  };
  for (const auto& [key, value] : texts) EXPECT_EQ(VersionText(resource, key), value);
}

#else

bool IsBaseClassMember(const std::string& demangled) {
  for (const char* base : {"Corvane::Plugin::CorvanePlugin", "Corvane::Plugin::PluginSettingsWindow"}) {
    const std::string name = base;
    for (const std::string& prefix :
         {name + "::", "vtable for " + name, "typeinfo for " + name, "typeinfo name for " + name}) {
      if (demangled.rfind(prefix, 0) == 0) return true;
    }
  }
  return false;
}

TEST(ShellExports, DynamicSymbolsAreTheEntryPointsAndTheHostBaseClassesOnly) {
  const std::vector<std::string> symbols = ExportedSymbols(kModulePath);
  ASSERT_FALSE(symbols.empty()) << "cannot read the dynamic symbol table of " << kModulePath;
  const std::set<std::string> entryPoints = {"getPlugin", "deleteMe", "exports"};
  // Symbols some linkers add to every shared object.
  const std::set<std::string> linkerSymbols = {"_init", "_fini", "_edata", "_end", "__bss_start"};
  std::set<std::string> seen;
  for (const std::string& symbol : symbols) {
    const std::string demangled = Demangled(symbol);
    seen.insert(symbol);
    if (entryPoints.count(symbol) || linkerSymbols.count(symbol)) continue;
    EXPECT_TRUE(IsBaseClassMember(demangled)) << "unexpected export: " << demangled;
    for (const char* internal : {"Shroudweave", "nlohmann", "ImGui", "NetcodeManager"})
      EXPECT_EQ(demangled.find(internal), std::string::npos) << "internal symbol exported: " << demangled;
  }
  for (const std::string& entry : entryPoints) EXPECT_TRUE(seen.count(entry)) << entry << " is not exported";
}

#endif

TEST(ShellExports, GetPluginGivesOneInstanceAndDeleteMeReleasesIt) {
  OpenModule module;
  ASSERT_TRUE(module.IsOpen()) << module.Error();

  PluginPointer* first = module.GetPlugin();
  PluginPointer* second = module.GetPlugin();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second) << "both calls return the address of the same holder";
  ASSERT_TRUE(*first);
  EXPECT_EQ(first->use_count(), 1) << "one instance, held once";
  EXPECT_FALSE((*first)->cvarManager);
  EXPECT_FALSE((*first)->gameWrapper);

  module.DeleteMe();
  EXPECT_FALSE(*first);
  module.DeleteMe();  // a second deleteMe does nothing
  EXPECT_FALSE(*first);
}

TEST(ShellExports, GetPluginAfterDeleteMeGivesAFreshInstance) {
  OpenModule module;
  ASSERT_TRUE(module.IsOpen()) << module.Error();
  PluginPointer* holder = module.GetPlugin();
  (*holder)->cvarManager = std::make_shared<CVarManagerWrapper>(0);
  std::weak_ptr<Corvane::Plugin::CorvanePlugin> old = *holder;
  module.DeleteMe();
  EXPECT_TRUE(old.expired());

  PluginPointer* again = module.GetPlugin();
  ASSERT_TRUE(*again);
  EXPECT_FALSE((*again)->cvarManager) << "the fresh instance has not been loaded yet";
  module.DeleteMe();
}

TEST(ShellExports, AHostCopyKeepsTheInstanceAlivePastDeleteMe) {
  OpenModule module;
  ASSERT_TRUE(module.IsOpen()) << module.Error();
  PluginPointer hostCopy = *module.GetPlugin();
  std::weak_ptr<Corvane::Plugin::CorvanePlugin> watch = hostCopy;
  module.DeleteMe();
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(hostCopy.use_count(), 1);
  hostCopy.reset();
  EXPECT_TRUE(watch.expired());
}

}  // namespace
