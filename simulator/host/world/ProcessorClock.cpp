#include "host/world/ProcessorClock.h"

#include <atomic>

namespace sim {
namespace {

std::atomic<const World*> followed{nullptr};

}  // namespace

std::clock_t PluginProcessorClock() {
  const World* world = followed.load();
  if (!world) return std::clock();
  return static_cast<std::clock_t>(world->ticks * CLOCKS_PER_SEC / World::kTicksPerSecond);
}

void FollowSimulation(const World& world) { followed.store(&world); }

void StopFollowing(const World& world) {
  const World* expected = &world;
  followed.compare_exchange_strong(expected, nullptr);
}

}  // namespace sim
