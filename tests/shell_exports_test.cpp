// The module as the host sees it before any plug-in code runs: its exports
// record read at raw offsets, its dynamic symbol table, and getPlugin/deleteMe.

#include <cxxabi.h>
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/Simulation.h"
#include "pluginsdk.h"

namespace {

const std::string kModulePath = std::string(CORVANE_SIM_MODULE_DIR) + "/Glimmerfade.so";

using PluginPointer = std::shared_ptr<Corvane::Plugin::CorvanePlugin>;

// The module opened by the test itself, acting as a host would.
class OpenModule {
 public:
  OpenModule() : handle_(dlopen(kModulePath.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
  ~OpenModule() {
    if (handle_) dlclose(handle_);
  }
  void* Symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }
  bool IsOpen() const { return handle_ != nullptr; }
  PluginPointer* GetPlugin() const {
    auto getPlugin = reinterpret_cast<uintptr_t (*)()>(Symbol("getPlugin"));
    return reinterpret_cast<PluginPointer*>(getPlugin());
  }
  void DeleteMe() const { reinterpret_cast<void (*)()>(Symbol("deleteMe"))(); }

 private:
  void* handle_;
};

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

// Names of the defined, visible symbols of an ELF64 file's dynamic symbol table.
std::vector<std::string> ExportedSymbols(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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

TEST(ShellExports, RecordReadsBackAtItsRawOffsets) {
  OpenModule module;
  ASSERT_TRUE(module.IsOpen()) << dlerror();
  const auto* record = static_cast<const unsigned char*>(module.Symbol("exports"));
  ASSERT_NE(record, nullptr);

  EXPECT_EQ(ReadAt<int32_t>(record, 0), 95);
  EXPECT_EQ(ReadAt<uint32_t>(record, 4), 0u) << "padding after sdkVersion";
  const std::string sourcePath = ReadAt<const char*>(record, 8);
  EXPECT_GE(sourcePath.size(), std::string("Shroudweave.cpp").size());
  EXPECT_EQ(sourcePath.substr(sourcePath.size() - 15), "Shroudweave.cpp");
  EXPECT_STREQ(ReadAt<const char*>(record, 16), "Shroudweave");
  EXPECT_STREQ(ReadAt<const char*>(record, 24), "Glimmerfade");
  EXPECT_STREQ(ReadAt<const char*>(record, 32), "1.0.0.50");
  EXPECT_EQ(ReadAt<int32_t>(record, 40), 1);
  EXPECT_EQ(ReadAt<uint32_t>(record, 44), 0u) << "padding after typeFlags";
  EXPECT_EQ(ReadAt<void*>(record, 48), module.Symbol("getPlugin"));
  EXPECT_EQ(ReadAt<void*>(record, 56), module.Symbol("deleteMe"));
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

TEST(ShellExports, GetPluginGivesOneInstanceAndDeleteMeReleasesIt) {
  OpenModule module;
  ASSERT_TRUE(module.IsOpen()) << dlerror();

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
  ASSERT_TRUE(module.IsOpen()) << dlerror();
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
  ASSERT_TRUE(module.IsOpen()) << dlerror();
  PluginPointer hostCopy = *module.GetPlugin();
  std::weak_ptr<Corvane::Plugin::CorvanePlugin> watch = hostCopy;
  module.DeleteMe();
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(hostCopy.use_count(), 1);
  hostCopy.reset();
  EXPECT_TRUE(watch.expired());
}

}  // namespace
