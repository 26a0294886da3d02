#pragma once

// Runs the built corvane-sim through the platform's shell, as a user would,
// and returns its exit status and everything it printed (standard error too).

#include <cstdio>
#include <filesystem>
#include <string>

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace simtool_test {

struct Result {
  int status = -1;
  std::string output;
};

inline Result RunTool(const std::string& arguments) {
#if defined(_WIN32)
  // cmd.exe wants the program's path with backslashes.
  const std::string tool = std::filesystem::path(CORVANE_SIM_TOOL).make_preferred().string();
  FILE* pipe = _popen((tool + " " + arguments + " 2>&1").c_str(), "rb");
#else
  FILE* pipe = popen((std::string(CORVANE_SIM_TOOL) + " " + arguments + " 2>&1").c_str(), "r");
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

}  // namespace simtool_test
