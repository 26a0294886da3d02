// The simulator command run as a user runs it.

#include <sys/wait.h>

#include <cstdio>
#include <fstream>

#include "host_fixture.h"

namespace {

struct Result {
  int status;
  std::string output;
};

Result RunTool(const std::string& arguments) {
  const std::string command = std::string(CORVANE_SIM_TOOL) + " " + arguments + " 2>&1";
  Result result{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0) result.output.append(buffer, got);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool Has(const Result& result, const std::string& text) {
  return result.output.find(text) != std::string::npos;
}

TEST(HostSimTool, DefaultScriptHidesOneCar) {
  const Result result = RunTool("");
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_TRUE(Has(result, "[alice] Loaded plug-in Glimmerfade: Glimmerfade 1.0.0.50")) << result.output;
  EXPECT_TRUE(Has(result, "  Alice           0     1     shown\n")) << result.output;
  EXPECT_TRUE(Has(result, "  Bruno           1     2     hidden\n")) << result.output;
  EXPECT_TRUE(Has(result, "  Carmen          1     3     shown\n")) << result.output;
  EXPECT_FALSE(Has(result, "Exception in")) << result.output;
}

TEST(HostSimTool, ScriptFileWithMistakesReportsEachAndFails) {
  const std::filesystem::path script = host_test::ScratchPath("corvane-sim-script-");
  std::ofstream(script) << "# comment\n"
                           "shroudweave_enabled 1\n"
                           "sim client bob unavailable\n"
                           "sim frobnicate\n"
                           "sim tick many\n"
                           "sim player add nowhere Zed\n"
                           "sim console\n"
                           "bogus\n";
  const Result result = RunTool(script.string());
  std::filesystem::remove(script);
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Has(result, "error: line 2: no client yet; start with \"sim client NAME\"\n")) << result.output;
  EXPECT_TRUE(Has(result, "error: line 4: unknown sim command \"frobnicate\"")) << result.output;
  EXPECT_TRUE(Has(result, "error: line 5: ticks must be a whole number, not \"many\"")) << result.output;
  EXPECT_TRUE(Has(result, "error: line 6: no match named \"nowhere\"")) << result.output;
  EXPECT_TRUE(Has(result, "[bob] ] bogus\n[bob] Unknown command: bogus\n")) << result.output;
}

TEST(HostSimTool, HelpListsTheCommands) {
  const std::filesystem::path script = host_test::ScratchPath("corvane-sim-help-");
  std::ofstream(script) << "sim help\n";
  const Result result = RunTool(script.string());
  std::filesystem::remove(script);
  EXPECT_EQ(result.status, 0);
  for (const char* word : {"sim client NAME", "sim cars", "sim tick [N]", "sim player add|update|remove"})
    EXPECT_TRUE(Has(result, word)) << word;
}

}  // namespace
