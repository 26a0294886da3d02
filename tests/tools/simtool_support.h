#pragma once

// Runs the simulator command on a script, as a user runs it, and reads its output.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "simtool_runner.h"
#include "testing/ScratchFolder.h"

namespace simtool_test {

struct ToolRun : Result {
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

// A file in this process's scratch folder named after the running test.
inline std::filesystem::path ScratchFile(const std::string& suffix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "-" + info->name();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
  }
  return ProcessScratchFolder() / ("corvane-simtool-" + name + suffix);
}

// Runs corvane-sim with the arguments (the script file is appended when one is given).
inline ToolRun RunSim(const std::string& arguments, const std::string& script = "") {
  std::filesystem::path file;
  std::string command = arguments;
  if (!script.empty()) {
    file = ScratchFile(".txt");
    std::ofstream(file, std::ios::binary) << script;
    command += " " + file.string();
  }
  ToolRun run;
  static_cast<Result&>(run) = RunTool(command);
  if (!file.empty()) std::filesystem::remove(file);
  return run;
}

inline ToolRun RunScript(const std::string& script) { return RunSim("", script); }

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
