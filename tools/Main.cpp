// corvane-sim: runs a script against simulated Corvane clients and prints
// their consoles, or lets a user type the script one line at a time.
//
//   corvane-sim              an interactive session when started on a
//                            terminal, otherwise the built-in default script
//   corvane-sim -i           an interactive session
//   corvane-sim --default    the built-in default script
//   corvane-sim FILE         a script file
//   corvane-sim -            a script from standard input
//   corvane-sim --print-default
//                            prints the default script, to start one's own from

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

#include "Interactive.h"
#include "ScriptRunner.h"
#include "testing/UniqueFolder.h"

namespace {

bool StandardInputIsTerminal() {
#if defined(_WIN32)
  // _isatty also says yes for the NUL device; only a console has a console mode.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

// Runs the session in a fresh folder of its own for the clients' data, removed
// afterwards; returns the exit status.
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
    sim::Simulation simulation(root);
    SimContext context(simulation, std::cout);
    status = session(context);
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
  if (argc > 2) {
    std::cerr << "usage: corvane-sim [-i | --default | --print-default | SCRIPT | -]\n";
    return 2;
  }
  if (argc == 2 && std::string(argv[1]) == "--print-default") {
    std::cout << kDefaultScript;
    return 0;
  }
  if (argc == 1) {
    if (StandardInputIsTerminal()) return Interact();
    std::istringstream script(kDefaultScript);
    return Run(script);
  }
  const std::string path = argv[1];
  if (path == "-i") return Interact();
  if (path == "--default") {
    std::istringstream script(kDefaultScript);
    return Run(script);
  }
  if (path == "-") return Run(std::cin);
  std::ifstream file(path);
  if (!file) {
    std::cerr << "corvane-sim: cannot read " << path << "\n";
    return 2;
  }
  return Run(file);
}
