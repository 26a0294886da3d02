// Rewriting a module's import slots of clock(): the import address table of a
// Windows module, the relocated slots (PLT and GOT) of an ELF module.

#include "host/modules/ClockImport.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace sim {
namespace {
// Unused where modules keep the process's own clock() (WebAssembly).
[[maybe_unused]] const char* const kClock = "clock";

// Counts one slot, written when reason is empty.
[[maybe_unused]] void Count(ClockRedirection& redirection, const std::string& reason) {
  if (reason.empty()) {
    ++redirection.redirected;
    return;
  }
  if (redirection.unwritten++ == 0) redirection.reason = reason;
}
}  // namespace

#if defined(_WIN32)

namespace {

// "" once written, otherwise why not.
std::string WriteSlot(ULONG_PTR* slot, ClockFunction replacement) {
  DWORD previous = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous))
    return "VirtualProtect: " +
           std::error_code(static_cast<int>(GetLastError()), std::system_category()).message();
  *slot = reinterpret_cast<ULONG_PTR>(replacement);
  VirtualProtect(slot, sizeof *slot, previous, &previous);
  return "";
}

}  // namespace

ClockRedirection RedirectClockImport(void* module, ClockFunction replacement) {
  ClockRedirection redirection;
  if (!module) return redirection;
  auto* base = static_cast<unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return redirection;
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       entry->Name != 0; ++entry) {
    // The names come from the lookup table; the address table holds what was bound.
    if (entry->OriginalFirstThunk == 0) continue;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* named = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(named->Name), kClock) != 0) continue;
      Count(redirection, WriteSlot(&slots->u1.Function, replacement));
    }
  }
  return redirection;
}

#elif defined(__LP64__)

namespace {

// The tables of the module's dynamic section that name its relocations.
struct DynamicTables {
  const ElfW(Sym) * symbols = nullptr;
  const char* names = nullptr;
  const ElfW(Rela) * relocations = nullptr;  // DT_RELA
  size_t relocationBytes = 0;
  const ElfW(Rela) * pltRelocations = nullptr;  // DT_JMPREL, when DT_PLTREL says RELA
  size_t pltRelocationBytes = 0;
};

// glibc has already turned the dynamic section's addresses into absolute
// ones; other loaders leave them relative to the module's base.
template <class T>
const T* Located(ElfW(Addr) base, ElfW(Addr) value) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the dynamic section gives addresses as integers
  return reinterpret_cast<const T*>(value < base ? base + value : value);
}

DynamicTables TablesOf(const link_map& module) {
  DynamicTables tables;
  bool pltIsRela = false;
  const ElfW(Addr) base = module.l_addr;
  for (const ElfW(Dyn)* entry = module.l_ld; entry->d_tag != DT_NULL; ++entry) {
    switch (entry->d_tag) {
      case DT_SYMTAB:
        tables.symbols = Located<ElfW(Sym)>(base, entry->d_un.d_ptr);
        break;
      case DT_STRTAB:
        tables.names = Located<char>(base, entry->d_un.d_ptr);
        break;
      case DT_RELA:
        tables.relocations = Located<ElfW(Rela)>(base, entry->d_un.d_ptr);
        break;
      case DT_RELASZ:
        tables.relocationBytes = entry->d_un.d_val;
        break;
      case DT_JMPREL:
        tables.pltRelocations = Located<ElfW(Rela)>(base, entry->d_un.d_ptr);
        break;
      case DT_PLTRELSZ:
        tables.pltRelocationBytes = entry->d_un.d_val;
        break;
      case DT_PLTREL:
        pltIsRela = entry->d_un.d_val == DT_RELA;
        break;
      default:
        break;
    }
  }
  if (!pltIsRela) tables.pltRelocations = nullptr;
  return tables;
}

// The part of the module that the loader made read-only after relocating it.
struct ReadOnlyAfterRelocation {
  ElfW(Addr) base = 0;
  uintptr_t start = 0;
  uintptr_t end = 0;
};

int FindReadOnlyPart(dl_phdr_info* info, size_t, void* data) {
  auto* part = static_cast<ReadOnlyAfterRelocation*>(data);
  if (info->dlpi_addr != part->base) return 0;
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    if (header.p_type != PT_GNU_RELRO) continue;
    // The loader protects the whole pages within the part, as here.
    const auto pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = info->dlpi_addr + header.p_vaddr;
    part->start = start & ~(pageSize - 1);
    part->end = (start + header.p_memsz) & ~(pageSize - 1);
  }
  return 1;
}

// "" once written, otherwise why not.
std::string WriteSlot(uintptr_t slot, ClockFunction replacement, const ReadOnlyAfterRelocation& readOnly) {
  const auto pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t first = slot & ~(pageSize - 1);
  const size_t length = ((slot + sizeof replacement - 1) & ~(pageSize - 1)) + pageSize - first;
  // NOLINTBEGIN(performance-no-int-to-ptr): the slot's address comes from the dynamic section, an integer
  void* pages = reinterpret_cast<void*>(first);
  if (mprotect(pages, length, PROT_READ | PROT_WRITE) != 0)
    return "mprotect: " + std::error_code(errno, std::generic_category()).message();
  std::memcpy(reinterpret_cast<void*>(slot), &replacement, sizeof replacement);
  // NOLINTEND(performance-no-int-to-ptr)
  if (slot >= readOnly.start && slot < readOnly.end) mprotect(pages, length, PROT_READ);
  return "";
}

// Every relocation of the table against clock() with no addend fills its slot
// with clock()'s address alone: a PLT slot, a GOT entry or a data pointer.
void Redirect(const DynamicTables& tables, const ElfW(Rela) * table, size_t bytes, const link_map& module,
              ClockFunction replacement, const ReadOnlyAfterRelocation& readOnly,
              ClockRedirection& redirection) {
  if (!table || !tables.symbols || !tables.names) return;
  for (size_t i = 0; i < bytes / sizeof(ElfW(Rela)); ++i) {
    const ElfW(Rela)& relocation = table[i];
    const size_t symbol = ELF64_R_SYM(relocation.r_info);
    if (symbol == 0 || relocation.r_addend != 0) continue;
    if (std::strcmp(tables.names + tables.symbols[symbol].st_name, kClock) != 0) continue;
    Count(redirection, WriteSlot(module.l_addr + relocation.r_offset, replacement, readOnly));
  }
}

}  // namespace

ClockRedirection RedirectClockImport(void* module, ClockFunction replacement) {
  ClockRedirection redirection;
  link_map* map = nullptr;
  if (!module || dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return redirection;
  ReadOnlyAfterRelocation readOnly;
  readOnly.base = map->l_addr;
  dl_iterate_phdr(&FindReadOnlyPart, &readOnly);
  const DynamicTables tables = TablesOf(*map);
  Redirect(tables, tables.relocations, tables.relocationBytes, *map, replacement, readOnly, redirection);
  Redirect(tables, tables.pltRelocations, tables.pltRelocationBytes, *map, replacement, readOnly,
           redirection);
  return redirection;
}

#else

// Other systems: modules keep the process's own clock().
ClockRedirection RedirectClockImport(void*, ClockFunction) { return {}; }

#endif

}  // namespace sim
