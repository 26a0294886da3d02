// The simulator's settings-page commands, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "simtool_runner.h"

namespace {

// Runs corvane-sim on a script; returns its exit status and output.
std::pair<int, std::string> RunScript(const std::string& script) {
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("glimmerfade-panel-" + test + ".txt");
  std::ofstream(file) << script;
  simtool_test::Result result = simtool_test::RunTool(file.string());
  std::filesystem::remove(file);
  return {result.status, result.output};
}

const char* const kSetUp =
    "sim client alice\nplugin load Glimmerfade\nsim match arena 6\n"
    "sim player add arena Alice team=0 shortcut=1\nsim player add arena Bruno team=1 shortcut=2\n"
    "sim run arena\nsim control Alice\n";

TEST(PanelSimTool, TickingABoxHidesTheCar) {
  const auto [status, output] =
      RunScript(std::string(kSetUp) +
                "sim click Enable plugin\nsim tick\nsim open Bruno\nsim open Bruno\n"
                "sim panel\nsim click Bruno / Visible to Opponents\nsim tick\nsim cars\n");
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("  > Bruno (open)\n      [x] Visible to Teammates\n      [x] Visible to Opponents\n"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("  Bruno           1     2     hidden\n"), std::string::npos) << output;
  EXPECT_EQ(output.find("Exception in"), std::string::npos) << output;
}

TEST(PanelSimTool, WidgetsNotShownAreErrors) {
  const auto [status, output] = RunScript(
      std::string(kSetUp) + "sim click Bruno / Visible to Opponents\nsim open Zed\nsim click Bruno /\n");
  EXPECT_EQ(status, 1) << output;
  EXPECT_EQ(output.find("clicked"), std::string::npos) << output;
  EXPECT_NE(output.find("no widget \"Bruno / Visible to Opponents\" shown on alice's Glimmerfade page"),
            std::string::npos)
      << output;
}

}  // namespace
