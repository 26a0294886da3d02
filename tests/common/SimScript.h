#pragma once

// corvane-sim's scripts run in this process, through the simulator's own
// script machinery, just as the program runs a script file: a simulation in a
// scratch folder of its own, every line run, then every client's console
// printed. Tests about the program itself (its exit status, the terminal,
// standard input) run the built program instead.

#include <sstream>
#include <string>

#include "common/ScratchFolder.h"
#include "host/Simulation.h"
#include "tools/ScriptRunner.h"

namespace sim_script {

struct ScriptRun {
  // Lines that failed, and faults (calls on game objects that do not live);
  // the program exits with 1 when there are any.
  int failures = 0;
  std::string output;

  bool Has(const std::string& text) const { return output.find(text) != std::string::npos; }
  size_t Count(const std::string& text) const {
    size_t count = 0;
    for (size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) ++count;
    return count;
  }
  // The output from the heading "== TEXT ==" up to the next heading.
  std::string Section(const std::string& heading) const {
    const size_t start = output.find("== " + heading + " ==");
    if (start == std::string::npos) return "";
    const size_t end = output.find("\n== ", start + 1);
    return output.substr(start, end == std::string::npos ? std::string::npos : end - start);
  }
};

inline ScriptRun RunSimScript(const std::string& script) {
  const ScratchFolder folder("corvane-sim-");
  std::ostringstream output;
  ScriptRun run;
  {
    const size_t unattributed = sim::Simulation::UnattributedFaults();
    sim::Simulation simulation(folder.path);
    SimContext context(simulation, output);
    std::istringstream lines(script);
    run.failures = RunScript(context, lines);
    run.failures += static_cast<int>(sim::Simulation::UnattributedFaults() - unattributed);
    for (const sim::Client* client : simulation.Clients()) run.failures += static_cast<int>(client->Faults());
  }
  run.output = output.str();
  return run;
}

}  // namespace sim_script
