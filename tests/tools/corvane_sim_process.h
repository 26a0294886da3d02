#pragma once

// Runs the built corvane-sim through the platform's shell, as a user would,
// and returns its exit status and everything it printed (standard error too).
// For the tests of the program itself; scripts alone run in-process
// (tests/common/SimScript.h).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include "common/ScratchFolder.h"

namespace sim_process {

struct Result {
  int status = -1;
  std::string output;

  bool Has(const std::string& text) const { return output.find(text) != std::string::npos; }
};

// Standard input is empty unless the arguments redirect it, never the terminal
// a test may run on: without arguments the tool would start an interactive
// session there.
inline Result RunTool(const std::string& arguments) {
  const bool ownInput = arguments.find('<') != std::string::npos;
#if defined(_WIN32)
  // cmd.exe wants the program's path with backslashes.
  const std::string tool = std::filesystem::path(CORVANE_SIM_TOOL).make_preferred().string();
  const std::string input = ownInput ? "" : " <NUL";
  FILE* pipe = _popen((tool + " " + arguments + input + " 2>&1").c_str(), "rb");
#else
  const std::string input = ownInput ? "" : " </dev/null";
  FILE* pipe = popen((std::string(CORVANE_SIM_TOOL) + " " + arguments + input + " 2>&1").c_str(), "r");
#endif
  Result result;
  if (!pipe) return result;
  char buffer[4096];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, got);
#if defined(_WIN32)
  result.status = _pclose(pipe);  // the program's exit code
  // A Windows program's text-mode output ends its lines with "\r\n".
  std::string lines;
  for (size_t i = 0; i < result.output.size(); ++i) {
    if (result.output[i] == '\r' && i + 1 < result.output.size() && result.output[i + 1] == '\n') continue;
    lines += result.output[i];
  }
  result.output = lines;
#else
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return result;
}

// Runs corvane-sim with the arguments and then a file holding the script.
inline Result RunToolOnScript(const std::string& arguments, const std::string& script) {
  const ScratchFolder folder("corvane-sim-script-");
  const std::filesystem::path file = folder.path / "script.txt";
  std::ofstream(file, std::ios::binary) << script;
  return RunTool(arguments + " " + file.string());
}

}  // namespace sim_process
