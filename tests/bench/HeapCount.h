#pragma once

#include <cstddef>

// Heap allocations made in this process so far, by anyone: the benchmark, the
// simulated host and the plug-in modules it loaded (the executable replaces the
// global operator new, and every module resolves to it).
size_t HeapAllocations();
