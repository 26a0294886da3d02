#pragma once

// Counts what the process takes from the heap through operator new: the bytes
// it holds now, and the allocations made so far. For the tests and the
// benchmarks; include this in exactly one file of a program, since it replaces
// the global operator new and delete.
//
// Linux: the one replacement serves the program and every module it loads, so
// both counts see the test's, the host's and every plug-in module's
// allocations. The bytes leave out what the C library and the dynamic loader
// keep for themselves, and blocks merely cached by the allocator.
//
// Windows: each DLL has its own operator new, so the replacement here counts
// the allocations of this program's own code only. All of them take their
// memory from the C runtime's heap, which is walked for the bytes instead; it
// also holds the C runtime's own blocks, which games do not change.

#include <atomic>
#include <cstdlib>
#include <new>

namespace heap_counter {
inline std::atomic<long long> allocations{0};

// Calls of operator new so far (on Windows, by this program's own code).
inline long long Allocations() { return allocations.load(std::memory_order_relaxed); }
}  // namespace heap_counter

#if defined(_WIN32)

#include <malloc.h>
#include <windows.h>

namespace heap_counter {

// Bytes of the blocks in use in the C runtime's heap right now.
inline long long LiveBytes() {
  const HANDLE heap = reinterpret_cast<HANDLE>(_get_heap_handle());
  long long bytes = 0;
  if (!HeapLock(heap)) return -1;
  PROCESS_HEAP_ENTRY entry = {};
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += static_cast<long long>(entry.cbData);
  }
  HeapUnlock(heap);
  return bytes;
}

}  // namespace heap_counter

// Every other form of operator new and delete of the program's runtime ends
// in these. GCC takes the free() of a block from the replaced operator new,
// once inlined, for a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
  heap_counter::allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

#else

#include <malloc.h>

namespace heap_counter {

inline std::atomic<long long> liveBytes{0};

inline void* Take(size_t size, size_t alignment = 0) {
  void* block = alignment ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                          : std::malloc(size ? size : 1);
  if (block) liveBytes += static_cast<long long>(malloc_usable_size(block));
  allocations.fetch_add(1, std::memory_order_relaxed);
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

#endif
