// corvane-sim run as a user runs it: with no arguments and no terminal it
// runs its default script; a script file's mistakes are each reported, and
// the exit status says there were some. (Windows: the file's lines end with
// "\r\n".)
#include <gtest/gtest.h>

#include <fstream>

#include "common/ScratchFolder.h"
#include "corvane_sim_process.h"

namespace {

using sim_process::Result;
using sim_process::RunTool;

// The default script is one change end to end: a panel click on the match's
// host hides Bruno's car on the team-0 screens only, on every client.
TEST(CommandLine, DefaultScriptCarriesOneChangeToEveryClient) {
  const Result result = RunTool("");
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_FALSE(result.Has("Exception in")) << result.output;
  const size_t after = result.output.find("== After the change");
  ASSERT_NE(after, std::string::npos) << result.output;
  const std::string before = result.output.substr(0, after);
  const std::string afterText = result.output.substr(after);

  EXPECT_EQ(before.find("hidden"), std::string::npos) << before;
  EXPECT_TRUE(result.Has("[alice] Sending netcode message 0:1,1,1;1:1,1,1;2:1,1,1;3:1,0,1;"))
      << result.output;
  EXPECT_TRUE(result.Has("[bruno] MessageContent: 0:1,1,1;1:1,1,1;2:1,1,1;3:1,0,1;")) << result.output;
  EXPECT_FALSE(result.Has("[bruno] Sending netcode message")) << result.output;
  EXPECT_FALSE(result.Has("[dmitri] Sending netcode message")) << result.output;

  const std::string bruno = "  Bruno           1     3     ";
  for (const char* viewer : {"alice", "bruno", "dmitri"}) {
    const size_t table = afterText.find(std::string("cars on ") + viewer);
    ASSERT_NE(table, std::string::npos) << viewer;
    const size_t row = afterText.find(bruno, table);
    ASSERT_NE(row, std::string::npos) << viewer;
    const std::string state =
        afterText.substr(row + bruno.size(), afterText.find('\n', row) - row - bruno.size());
    EXPECT_EQ(state, std::string(viewer) == "bruno" ? "shown" : "hidden") << viewer;
  }
}

TEST(CommandLine, ScriptFileWithMistakesReportsEachAndFails) {
  const ScratchFolder scratch("corvane-sim-script-");
  const std::filesystem::path script = scratch.path / "script.txt";
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
  EXPECT_TRUE(result.Has("error: line 2: no client yet; start with \"sim client NAME\"\n")) << result.output;
  EXPECT_TRUE(result.Has("error: line 4: unknown sim command \"frobnicate\"")) << result.output;
  EXPECT_TRUE(result.Has("error: line 5: ticks must be a whole number, not \"many\"")) << result.output;
  EXPECT_TRUE(result.Has("error: line 6: no match named \"nowhere\"")) << result.output;
  EXPECT_TRUE(result.Has("[bob] ] bogus\n[bob] Unknown command: bogus\n")) << result.output;
}

// Asked for, the usage comes with status 0; wrong arguments get it with status 2.
TEST(CommandLine, UsageWhenAskedOrArgumentsAreWrong) {
  const struct {
    const char* arguments;
    int status;
  } kCases[] = {{"--help", 0}, {"-h", 0}, {"one two", 2}};
  for (const auto& [arguments, status] : kCases) {
    const Result result = RunTool(arguments);
    EXPECT_EQ(result.status, status) << arguments;
    EXPECT_EQ(result.output.rfind("usage: corvane-sim", 0), 0u) << arguments << "\n" << result.output;
  }
}

}  // namespace
