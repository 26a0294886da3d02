// The simulator's settings-page commands: ticking boxes, what cannot be
// clicked, screenshots, and pages whose names repeat or hold Dear ImGui's "##",
// where each node is its slot's, shown with the whole name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/ScratchFolder.h"
#include "common/SimScript.h"
#include "common/Tables.h"

namespace {

using sim_script::RunSimScript;
using sim_script::ScriptRun;

const char* const kSetUp =
    "sim client alice\nplugin load Glimmerfade\nsim match arena 6\n"
    "sim player add arena Alice team=0 shortcut=1\nsim player add arena Bruno team=1 shortcut=2\n"
    "sim run arena\nsim control Alice\n";

TEST(PanelCommands, TickingABoxHidesTheCar) {
  const ScriptRun run =
      RunSimScript(std::string(kSetUp) +
                   "sim click Enable plugin\nsim tick\nsim open Bruno\nsim open Bruno\n"
                   "sim panel\nsim click Bruno / Visible to Opponents\nsim tick\nsim cars\n");
  EXPECT_EQ(run.failures, 0) << run.output;
  EXPECT_TRUE(run.Has("  > Bruno (open)\n      [x] Visible to Teammates\n      [x] Visible to Opponents\n"))
      << run.output;
  EXPECT_TRUE(run.Has("  Bruno           1     2     hidden\n")) << run.output;
  EXPECT_FALSE(run.Has("Exception in")) << run.output;
}

TEST(PanelCommands, WidgetsNotShownAreErrors) {
  const ScriptRun run = RunSimScript(
      std::string(kSetUp) + "sim click Bruno / Visible to Opponents\nsim open Zed\nsim click Bruno /\n");
  EXPECT_EQ(run.failures, 3) << run.output;
  EXPECT_FALSE(run.Has("clicked")) << run.output;
  EXPECT_TRUE(run.Has("no widget \"Bruno / Visible to Opponents\" shown on alice's Glimmerfade page"))
      << run.output;
}

// The picture is made where the build has an off-screen renderer; builds for
// Windows have none and say so (tests/host/settings_picture_test.cpp looks at
// the pictures themselves).
TEST(PanelCommands, ScreenshotSavesThePageOrSaysWhyNot) {
  const ScratchFolder folder("glimmerfade-screenshot-");
  const std::string file = (folder.path / "page.png").string();
  const ScriptRun run =
      RunSimScript(std::string(kSetUp) + "sim click Enable plugin\nsim screenshot " + file +
                   " scale=2 crop=yes\nsim screenshot " + file + " NetcodePlugin\nsim screenshot " + file +
                   " scale=9\nsim screenshot " + file + " crop=maybe\n");
  EXPECT_TRUE(run.Has("error: line 10: plug-in NetcodePlugin has no settings page\n")) << run.output;
  EXPECT_TRUE(run.Has("error: line 11: scale is 1 to 4\n")) << run.output;
  EXPECT_TRUE(run.Has("error: line 12: crop= takes yes or no, not \"maybe\"\n")) << run.output;
#if GLIMMERFADE_PICTURES
  EXPECT_EQ(run.failures, 3) << run.output;
  EXPECT_TRUE(run.Has("saved alice's Glimmerfade page as " + file + "\n")) << run.output;
  char signature[8] = {};
  std::ifstream(file, std::ios::binary).read(signature, sizeof signature);
  EXPECT_EQ(std::string(signature, sizeof signature), "\x89PNG\r\n\x1a\n");
#else
  EXPECT_EQ(run.failures, 4) << run.output;
  EXPECT_TRUE(
      run.Has("error: line 9: pictures (of settings pages and match views) are not available in this build"))
      << run.output;
  EXPECT_FALSE(std::filesystem::exists(file));
#endif
}

const std::string kBoxes = "[x] Visible to Teammates\n      [x] Visible to Opponents\n";

TEST(PanelCommands, PlayersOfTheSameNameHaveNodesOfTheirOwn) {
  const ScriptRun run = RunSimScript(
      "sim client alice unavailable\nplugin load Glimmerfade\nsim match m 6\n"
      "sim player add m Alice team=0 shortcut=1\nsim player add m Sam team=1 shortcut=2\n"
      "sim player add m Sam team=1 shortcut=5\nsim run m\nsim control Alice\nshroudweave_enabled 1\nsim "
      "tick\n"
      "sim open Sam#2\nsim echo second open\nsim panel\n"
      "sim click Sam#2 / Visible to Opponents\nsim echo second ticked\ninvis_json\nsim tick\nsim cars\n"
      "sim open Sam\nsim echo both open\nsim panel\n"
      "sim click Sam / Visible to Teammates\nsim echo first ticked\ninvis_json\n"
      "sim click Sam#3\n");
  EXPECT_EQ(run.failures, 1) << run.output;  // only the last line fails: there is no third Sam
  EXPECT_TRUE(run.Has("error: line 25: no widget \"Sam#3\" shown")) << run.output;
  EXPECT_FALSE(run.Has("Exception in")) << run.output;

  EXPECT_NE(run.Section("second open")
                .find("  > Alice (closed)\n  > Sam (closed)\n  > Sam (open)\n      " + kBoxes),
            std::string::npos)
      << run.output;
  const std::string second = run.Section("second ticked");
  EXPECT_NE(second.find("invis_json = \"" + tables::Json(tables::Cleared({{5, 1}})) + "\""),
            std::string::npos)
      << second;
  EXPECT_NE(second.find("  Sam #2          1     2     shown\n  Sam #3          1     5     hidden\n"),
            std::string::npos)
      << second;
  EXPECT_NE(run.Section("both open")
                .find("  > Sam (open)\n      " + kBoxes +
                      "      [x] Visible to Spectators\n  > Sam (open)\n"
                      "      [x] Visible to Teammates\n      [ ] Visible to Opponents\n"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.Section("first ticked")
                .find("invis_json = \"" + tables::Json(tables::Cleared({{2, 0}, {5, 1}})) + "\""),
            std::string::npos)
      << run.output;
}

// Names are labels only: "##", "%" and a leading ">" show whole, and the node
// and its boxes belong to the slot.
TEST(PanelCommands, NamesShowWhole) {
  const ScriptRun run = RunSimScript(
      "sim client alice unavailable\nplugin load Glimmerfade\n"
      "names_specshortcuts \"1,Ann##x;2,Ann##y;3,50%s%n;4,> Bo\"\n"
      "sim echo closed\nsim panel\nsim open Ann##y\nsim open > Bo\n"
      "sim click Ann##y / Visible to Spectators\nsim echo opened\nsim panel\ninvis_json\n");
  ASSERT_EQ(run.failures, 0) << run.output;
  EXPECT_NE(run.Section("closed").find("  > Ann##x (closed)\n  > Ann##y (closed)\n  > 50%s%n (closed)\n"
                                       "  > > Bo (closed)\n"),
            std::string::npos)
      << run.output;
  const std::string opened = run.Section("opened");
  EXPECT_NE(opened.find("  > Ann##x (closed)\n  > Ann##y (open)\n      " + kBoxes +
                        "      [ ] Visible to Spectators\n  > 50%s%n (closed)\n  > > Bo (open)\n"),
            std::string::npos)
      << opened;
  EXPECT_NE(opened.find("invis_json = \"" + tables::Json(tables::Cleared({{2, 2}})) + "\""),
            std::string::npos)
      << opened;
}

// Drawn before the host hands over its Dear ImGui context, the page finds no
// current context in its own copy of Dear ImGui and draws nothing (a widget
// call would crash the game); handed the context, it is whole.
TEST(PanelCommands, PageDrawnBeforeTheContextIsHandedOverShowsNothing) {
  const ScriptRun run = RunSimScript(
      "sim client alice\nsim imgui-context withhold\nplugin load Glimmerfade\nsim panel\nsim click Enable "
      "plugin\n"
      "sim imgui-context hand\nsim panel\n");
  EXPECT_EQ(run.failures, 1) << run.output;
  EXPECT_TRUE(run.Has("settings page Glimmerfade on alice:\n  (nothing drawn)\n")) << run.output;
  EXPECT_TRUE(run.Has("error: line 5: no widget \"Enable plugin\" shown")) << run.output;
  EXPECT_TRUE(run.Has("settings page Glimmerfade on alice:\n  [ ] Enable plugin\n")) << run.output;
  EXPECT_FALSE(run.Has("Exception in")) << run.output;
}

}  // namespace
