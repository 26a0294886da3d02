#include "FuzzWorld.h"

#include <cstdio>
#include <cstdlib>

#include "plugin/Exports.h"

namespace fuzz {

void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "Property violated: %s\n", property);
  std::abort();
}

ScratchWorld::ScratchWorld(const std::string& name)
    : folder("glimmerfade-fuzz-" + name + "-"), simulation(std::make_unique<sim::Simulation>(folder.path)) {}

ScratchWorld::~ScratchWorld() = default;

void ScratchWorld::RequireNoFaults() {
  Require(sim::Simulation::UnattributedFaults() == 0, "no call outside plug-in code is a fault");
  for (const sim::Client* client : simulation->Clients())
    Require(client->Faults() == 0, "no call of plug-in code on a game object that does not live");
}

std::unique_ptr<Shroudweave> MakeDetachedPlugin(sim::Client& client) {
  auto plugin = std::make_unique<Shroudweave>(exports);
  plugin->cvarManager = client.CvarManager();
  plugin->gameWrapper = client.Game();
  return plugin;
}

}  // namespace fuzz
