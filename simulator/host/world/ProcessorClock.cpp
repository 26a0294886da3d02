#include "host/world/ProcessorClock.h"

#include <atomic>

#include "host/world/SimulationImpl.h"

namespace sim {
namespace {

std::atomic<const Simulation::Impl*> followed{nullptr};

}  // namespace

std::clock_t PluginProcessorClock() {
  const Simulation::Impl* simulation = followed.load();
  if (!simulation) return std::clock();
  return static_cast<std::clock_t>(simulation->ticks * CLOCKS_PER_SEC / Simulation::Impl::kTicksPerSecond);
}

void FollowSimulation(const Simulation::Impl& simulation) { followed.store(&simulation); }

void StopFollowing(const Simulation::Impl& simulation) {
  const Simulation::Impl* expected = &simulation;
  followed.compare_exchange_strong(expected, nullptr);
}

}  // namespace sim
