// The simulator's settings-page commands, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "simtool_runner.h"
#include "testing/ScratchFolder.h"

namespace {

// Runs corvane-sim on a script; returns its exit status and output.
std::pair<int, std::string> RunScript(const std::string& script) {
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::filesystem::path file = ProcessScratchFolder() / ("glimmerfade-panel-" + test + ".txt");
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

// The picture is made where the build has an off-screen renderer; builds for
// Windows have none and say so (see tests/host/settings_picture_test.cpp for the pictures).
TEST(PanelSimTool, ScreenshotSavesThePageOrSaysWhyNot) {
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::filesystem::path file = ProcessScratchFolder() / ("glimmerfade-panel-" + test + ".png");
  std::filesystem::remove(file);
  const auto [status, output] =
      RunScript(std::string(kSetUp) + "sim click Enable plugin\nsim screenshot " + file.string() +
                " scale=2 crop=yes\nsim screenshot " + file.string() + " NetcodePlugin\nsim screenshot " +
                file.string() + " scale=9\nsim screenshot " + file.string() + " crop=maybe\n");
  EXPECT_EQ(status, 1) << output;
  EXPECT_NE(output.find("error: line 10: plug-in NetcodePlugin has no settings page\n"), std::string::npos)
      << output;
  EXPECT_NE(output.find("error: line 11: scale is 1 to 4\n"), std::string::npos) << output;
  EXPECT_NE(output.find("error: line 12: crop= takes yes or no, not \"maybe\"\n"), std::string::npos)
      << output;
#if GLIMMERFADE_PICTURES
  EXPECT_NE(output.find("saved alice's Glimmerfade page as " + file.string() + "\n"), std::string::npos)
      << output;
  char signature[8] = {};
  std::ifstream(file, std::ios::binary).read(signature, sizeof signature);
  EXPECT_EQ(std::string(signature, sizeof signature), "\x89PNG\r\n\x1a\n");
#else
  EXPECT_NE(output.find("error: line 9: pictures of settings pages are not available in this build"),
            std::string::npos)
      << output;
  EXPECT_FALSE(std::filesystem::exists(file));
#endif
  std::filesystem::remove(file);
}

}  // namespace
