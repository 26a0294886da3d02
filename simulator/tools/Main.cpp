// corvane-sim: runs a script against simulated Corvane clients and prints
// their consoles, or lets a user type the script one line at a time. The
// arguments it takes are listed in kUsage below.

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "Interactive.h"
#include "ScriptRunner.h"
#include "UniqueFolder.h"

namespace {

const char* const kUsage =
    "usage: corvane-sim [--modules DIR] [-i | --default | --print-default | -h | --help | SCRIPT | -]\n"
    "  --modules DIR    clients install plug-in modules from DIR instead of the build's module folder\n"
    "  (none)           an interactive session on a terminal, otherwise the default script\n"
    "  -i               an interactive session\n"
    "  --default        the built-in default script\n"
    "  --print-default  prints the default script, to start one's own from\n"
    "  SCRIPT           a script file\n"
    "  -                a script from standard input\n"
    "  -h, --help       this text\n"
    "In a script or a session, \"sim help\" lists the simulator's commands.\n";

bool StandardInputIsTerminal() {
#if defined(_WIN32)
  // _isatty also says yes for the NUL device; only a console has a console mode.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

// Faults reported while the simulation ran, on every client and outside
// plug-in code.
size_t FaultsOf(sim::Simulation& simulation, size_t unattributedBefore) {
  size_t faults = sim::Simulation::UnattributedFaults() - unattributedBefore;
  for (const sim::Client* client : simulation.Clients()) faults += client->Faults();
  return faults;
}

// Runs the session in a fresh folder of its own for the clients' data, removed
// afterwards; returns the exit status, 1 when the session reported a fault.
// Where clients install plug-in modules from: the build's module folder
// unless --modules names another (a Glimmerfade built alone, say).
std::filesystem::path moduleDir = CORVANE_SIM_MODULE_DIR;

template <class Session>
int InRunFolder(Session&& session) {
  std::filesystem::path root;
  try {
    root = scratch::CreateUniqueFolder(std::filesystem::temp_directory_path(), "corvane-sim-");
  } catch (const std::filesystem::filesystem_error& error) {
    std::cerr << "corvane-sim: cannot make a folder for the clients' data: " << error.what() << "\n";
    return 2;
  }
  int status = 0;
  {
    const size_t unattributedBefore = sim::Simulation::UnattributedFaults();
    sim::Simulation simulation(root, moduleDir);
    SimContext context(simulation, std::cout);
    status = session(context);
    if (const size_t faults = FaultsOf(simulation, unattributedBefore)) {
      std::cerr << "corvane-sim: " << faults << (faults == 1 ? " fault" : " faults")
                << " (calls on game objects that do not live; see the \"fault:\" lines)\n";
      status = status == 0 ? 1 : status;
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return status;
}

int Run(std::istream& script) {
  return InRunFolder([&](SimContext& context) { return RunScript(context, script) == 0 ? 0 : 1; });
}

int Interact() {
  const bool terminal = StandardInputIsTerminal();
  return InRunFolder([&](SimContext& context) {
    RunInteractive(context, std::cin, terminal);
    return 0;
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() >= 2 && arguments[0] == "--modules") {
    moduleDir = arguments[1];
    arguments.erase(arguments.begin(), arguments.begin() + 2);
  }
  if (arguments.size() > 1) {
    std::cerr << kUsage;
    return 2;
  }
  if (arguments.empty()) {
    if (StandardInputIsTerminal()) return Interact();
    std::istringstream script(kDefaultScript);
    return Run(script);
  }
  const std::string argument = arguments[0];
  if (argument == "-h" || argument == "--help") {
    std::cout << kUsage;
    return 0;
  }
  if (argument == "--print-default") {
    std::cout << kDefaultScript;
    return 0;
  }
  if (argument == "-i") return Interact();
  if (argument == "--default") {
    std::istringstream script(kDefaultScript);
    return Run(script);
  }
  if (argument == "-") return Run(std::cin);
  std::ifstream file(argument);
  if (!file) {
    std::cerr << "corvane-sim: cannot read " << argument << "\n";
    return 2;
  }
  return Run(file);
}
