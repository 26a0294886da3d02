#pragma once

// Runs the simulator command on a script, as a user runs it, and reads its output.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <process.h>
#define popen _popen
#define pclose _pclose
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace simtool_test {

struct ToolRun {
  int status = -1;
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

inline int ExitStatus(int status) {
#if defined(_WIN32)
  return status;  // _pclose gives the exit code itself
#else
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

inline int ProcessId() {
#if defined(_WIN32)
  return _getpid();
#else
  return static_cast<int>(getpid());
#endif
}

// A file in the scratch folder named after the running test.
inline std::filesystem::path ScratchFile(const std::string& suffix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "-" + info->name();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
  }
  return std::filesystem::temp_directory_path() /
         ("corvane-simtool-" + name + "-" + std::to_string(ProcessId()) + suffix);
}

// Runs corvane-sim with the arguments (the script file is appended when one is given).
inline ToolRun RunTool(const std::string& arguments, const std::string& script = "") {
  std::filesystem::path file;
  std::string command = std::string(CORVANE_SIM_TOOL) + " " + arguments;
  if (!script.empty()) {
    file = ScratchFile(".txt");
    std::ofstream(file, std::ios::binary) << script;
    command += " " + file.string();
  }
  ToolRun run;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[4096];
  for (size_t got; pipe && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, got);
  if (pipe) run.status = ExitStatus(pclose(pipe));
  if (!file.empty()) std::filesystem::remove(file);
  return run;
}

inline ToolRun RunScript(const std::string& script) { return RunTool("", script); }

// A visibility table for "invis_json": every flag true except the given
// (slot, flag) pairs.
inline std::string TableJson(std::vector<std::pair<int, int>> cleared = {}) {
  std::string json = "{\"invisDeque\":[";
  for (int slot = 0; slot < 9; ++slot) {
    json += slot ? ",[" : "[";
    for (int flag = 0; flag < 3; ++flag) {
      bool shown = true;
      for (const auto& [s, f] : cleared) shown = shown && !(s == slot && f == flag);
      json += std::string(flag ? "," : "") + (shown ? "true" : "false");
    }
    json += "]";
  }
  return json + "]}";
}

}  // namespace simtool_test
