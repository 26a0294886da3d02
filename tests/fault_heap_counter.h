#pragma once

// Counts the bytes held through operator new, process-wide: the test, the host
// and every plug-in module the host loads allocate through these replacements.
// Unlike the C library's own figures, the count leaves out what the C library
// and the dynamic loader keep for themselves, and blocks merely cached by the
// allocator. Include this in exactly one file of a test program.

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace heap_counter {

inline std::atomic<long long> liveBytes{0};

inline void* Take(size_t size, size_t alignment = 0) {
  void* block = alignment ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                          : std::malloc(size ? size : 1);
  if (block) liveBytes += static_cast<long long>(malloc_usable_size(block));
  return block;
}

inline void Give(void* block) {
  if (!block) return;
  liveBytes -= static_cast<long long>(malloc_usable_size(block));
  std::free(block);
}

inline void* TakeOrThrow(size_t size, size_t alignment = 0) {
  if (void* block = Take(size, alignment)) return block;
  throw std::bad_alloc();
}

// Bytes held through operator new right now.
inline long long LiveBytes() { return liveBytes.load(); }

}  // namespace heap_counter

void* operator new(size_t size) { return heap_counter::TakeOrThrow(size); }
void* operator new[](size_t size) { return heap_counter::TakeOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return heap_counter::Take(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return heap_counter::Take(size); }
void* operator new(size_t size, std::align_val_t alignment) {
  return heap_counter::TakeOrThrow(size, static_cast<size_t>(alignment));
}
void* operator new[](size_t size, std::align_val_t alignment) {
  return heap_counter::TakeOrThrow(size, static_cast<size_t>(alignment));
}
void operator delete(void* block) noexcept { heap_counter::Give(block); }
void operator delete[](void* block) noexcept { heap_counter::Give(block); }
void operator delete(void* block, size_t) noexcept { heap_counter::Give(block); }
void operator delete[](void* block, size_t) noexcept { heap_counter::Give(block); }
void operator delete(void* block, std::align_val_t) noexcept { heap_counter::Give(block); }
void operator delete[](void* block, std::align_val_t) noexcept { heap_counter::Give(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { heap_counter::Give(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { heap_counter::Give(block); }
