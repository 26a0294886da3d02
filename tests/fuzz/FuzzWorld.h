#pragma once

// Shared by the fuzz targets: property checks that abort, and a scratch
// simulation with one client, kept across inputs and made anew now and then so
// that its console (which only grows) stays small over long runs.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/ScratchFolder.h"
#include "host/Simulation.h"
#include "plugin/Shroudweave.h"

namespace fuzz {

using namespace glimmerfade;

// Aborts (a finding for the fuzzer) when a property does not hold.
void Require(bool holds, const char* property);

inline std::string AsText(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// A simulation in a folder of its own, removed when the world goes. Several
// fuzzing processes may run at once: each world gets a folder no other has.
class ScratchWorld {
 public:
  explicit ScratchWorld(const std::string& name);
  virtual ~ScratchWorld();
  ScratchWorld(const ScratchWorld&) = delete;
  ScratchWorld& operator=(const ScratchWorld&) = delete;

  sim::Simulation& Simulation() { return *simulation; }
  // Aborts when a client reported a fault (a call on a game object that does
  // not live) or a call outside plug-in code was one.
  void RequireNoFaults();

 private:
  ScratchFolder folder;  // outlives the simulation
  std::unique_ptr<sim::Simulation> simulation;
};

// A plug-in object made outside the host's plug-in records, on the host's own
// wrappers of a client: its calls are the fuzzer's to make, and nothing it
// registers is tied to a module.
std::unique_ptr<Shroudweave> MakeDetachedPlugin(sim::Client& client);

// One World shared by consecutive inputs, made anew every inputsPerWorld uses.
template <class World>
World& ReusedWorld(int inputsPerWorld) {
  static std::unique_ptr<World> world;
  static int uses = 0;
  if (!world || ++uses >= inputsPerWorld) {
    world.reset();
    world = std::make_unique<World>();
    uses = 0;
  }
  return *world;
}

}  // namespace fuzz
