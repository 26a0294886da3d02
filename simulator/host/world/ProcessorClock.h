#pragma once

// The processor clock that plug-in modules read with clock(): the process's
// own, unless a simulation has asked for its simulated one, which advances
// with the simulation's ticks, 1/120 s of processor time each, from 0 when
// the simulation began. The host points every module's import of clock() here
// (host/modules/ClockImport.cpp). One clock for the process, as in a game.

#include <ctime>

#include "host/world/World.h"

namespace sim {

std::clock_t PluginProcessorClock();

// From now on the clock follows this world's ticks.
void FollowSimulation(const World& world);
// Back to the process's own clock, if the clock follows that world.
void StopFollowing(const World& world);

}  // namespace sim
