#pragma once

// One client of the simulated host in a local match of 8 qualifying players,
// with the real Glimmerfade module loaded and enabled and a table that hides
// some cars from the viewer, and the passes that the benchmarks compare:
//
// - the project's pass (the code the module runs, called with the client's
//   host wrappers and memory kept from pass to pass);
// - the reference: the same pass keeping nothing, so it decodes "invis_json"
//   and composes the names list afresh every time;
// - the floor: only the host calls the pass makes, in its order (choose the
//   match, read the viewer, walk the roster, write "names_specshortcuts", read
//   "invis_json", walk the roster again and set each car), with the names list
//   and every car's decision worked out beforehand;
// - the module's own pass, raised through the host's vehicle-input hook.

#include <memory>
#include <string>
#include <vector>

#include "common/ScratchFolder.h"
#include "host/Simulation.h"
#include "visibility/EnforcementPass.h"

namespace bench {

using namespace glimmerfade;

constexpr int kPlayers = 8;

// What the floor does to each roster entry, decided beforehand.
struct FloorStep {
  bool readsCarTeam = false;  // the pass reads the team of every car but the viewer's own
  unsigned long hidden = 0;
};

class PassWorld {
 public:
  PassWorld();
  ~PassWorld();

  void ProjectPass();
  void ReferencePass();
  void FloorPass();
  // The module's pass as the host runs it after a vehicle-input event.
  void ModulePassThroughHook();
  // The host's dispatch of an event to a hook that does nothing.
  void EmptyHookDispatch();

  // "names_specshortcuts" and the hidden cars, for checking that a pass ran.
  std::string Outcome() const;

 private:
  void PlanFloor();

  ScratchFolder scratch{"glimmerfade-bench-pass-"};
  std::unique_ptr<sim::Simulation> simulation;
  sim::Client* client = nullptr;
  std::shared_ptr<CVarManagerWrapper> cvars;
  std::shared_ptr<GameWrapper> game;
  EnforcementPassMemory memory;
  WrongShapeReports reports;
  std::string floorNames;
  std::vector<FloorStep> floorSteps;
  const std::string emptyEvent = "Bench.EmptyEvent";
};

}  // namespace bench
