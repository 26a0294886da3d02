#include "FuzzWorld.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <system_error>

#include "plugin/Exports.h"

// The plug-in objects here are made from the core library, which refers to the
// module's information record; the module's entry file is not linked.
PluginDescriptor exports = {CORVANE_SDK_VERSION, "", "Shroudweave", "Glimmerfade", "", 0, nullptr, nullptr};

namespace fuzz {

void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "Property violated: %s\n", property);
  std::abort();
}

namespace {
// Several fuzzing processes may run at once: each world gets its own folder.
std::filesystem::path UniqueFolder(const std::string& name) {
  static std::mt19937_64 random(std::random_device{}() ^
                                std::chrono::steady_clock::now().time_since_epoch().count());
  return std::filesystem::temp_directory_path() /
         ("glimmerfade-fuzz-" + name + "-" + std::to_string(random() % 1000000000ULL));
}
}  // namespace

ScratchWorld::ScratchWorld(const std::string& name) : folder_(UniqueFolder(name)) {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
  simulation_ = std::make_unique<sim::Simulation>(folder_);
}

ScratchWorld::~ScratchWorld() {
  simulation_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::unique_ptr<Shroudweave> MakeDetachedPlugin(sim::Client& client) {
  auto plugin = std::make_unique<Shroudweave>();
  plugin->cvarManager = client.CvarManager();
  plugin->gameWrapper = client.Game();
  return plugin;
}

}  // namespace fuzz
