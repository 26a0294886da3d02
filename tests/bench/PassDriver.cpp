// Runs a chosen number of enforcement passes of one kind in the benchmark's
// world, for counting instructions under callgrind: scripts/callgrind.sh runs
// it with two counts and divides the difference, which cancels the set-up.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "PassWorld.h"
#include "common/HeapCounter.h"

namespace {

struct Kind {
  const char* name;
  void (bench::PassWorld::*pass)();
};
const Kind kKinds[] = {
    {"project", &bench::PassWorld::ProjectPass},
    {"reference", &bench::PassWorld::ReferencePass},
    {"floor", &bench::PassWorld::FloorPass},
    {"module", &bench::PassWorld::ModulePassThroughHook},
};

const Kind* FindKind(const char* name) {
  for (const Kind& kind : kKinds)
    if (std::strcmp(kind.name, name) == 0) return &kind;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const Kind* kind = argc == 3 ? FindKind(argv[1]) : nullptr;
  const long passes = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 0;
  if (!kind || passes < 0) {
    std::fprintf(stderr, "usage: %s project|reference|floor|module PASSES\n", argv[0]);
    return 2;
  }
  try {
    bench::PassWorld world;  // its set-up ran one project pass
    const long long before = heap_counter::Allocations();
    for (long i = 0; i < passes; ++i) (world.*kind->pass)();
    const double allocations =
        passes ? static_cast<double>(heap_counter::Allocations() - before) / passes : 0.0;
    std::printf("%s: %ld passes, %.1f heap allocations per pass\n", kind->name, passes, allocations);
    return 0;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
}
