// corvane-sim: runs a script against simulated Corvane clients and prints
// their consoles.
//
//   corvane-sim              the built-in default script
//   corvane-sim FILE         a script file
//   corvane-sim -            a script from standard input
//   corvane-sim --print-default
//                            prints the default script, to start one's own from

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ScriptRunner.h"

namespace {

// Each run gets a fresh folder for its clients' data.
std::filesystem::path RunFolder() {
  return std::filesystem::temp_directory_path() / ("corvane-sim-" + std::to_string(getpid()));
}

int Run(std::istream& script) {
  const std::filesystem::path root = RunFolder();
  std::filesystem::remove_all(root);
  int failures = 0;
  {
    sim::Simulation simulation(root);
    SimContext context(simulation, std::cout);
    failures = RunScript(context, script);
  }
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::cerr << "usage: corvane-sim [SCRIPT | - | --print-default]\n";
    return 2;
  }
  if (argc == 2 && std::string(argv[1]) == "--print-default") {
    std::cout << kDefaultScript;
    return 0;
  }
  if (argc == 1) {
    std::istringstream script(kDefaultScript);
    return Run(script);
  }
  const std::string path = argv[1];
  if (path == "-") return Run(std::cin);
  std::ifstream file(path);
  if (!file) {
    std::cerr << "corvane-sim: cannot read " << path << "\n";
    return 2;
  }
  return Run(file);
}
