// The settings page through the simulator command when names repeat or hold
// Dear ImGui's "##": each node is its slot's, shown with the whole name.
#include "simtool_support.h"

namespace simtool_test {
namespace {

const std::string kBoxes = "[x] Visible to Teammates\n      [x] Visible to Opponents\n";

TEST(SimToolPanel, PlayersOfTheSameNameHaveNodesOfTheirOwn) {
  const ToolRun run = RunScript(
      "sim client alice unavailable\nplugin load Glimmerfade\nsim match m 6\n"
      "sim player add m Alice team=0 shortcut=1\nsim player add m Sam team=1 shortcut=2\n"
      "sim player add m Sam team=1 shortcut=5\nsim run m\nsim control Alice\nshroudweave_enabled 1\nsim "
      "tick\n"
      "sim open Sam#2\nsim echo second open\nsim panel\n"
      "sim click Sam#2 / Visible to Opponents\nsim echo second ticked\ninvis_json\nsim tick\nsim cars\n"
      "sim open Sam\nsim echo both open\nsim panel\n"
      "sim click Sam / Visible to Teammates\nsim echo first ticked\ninvis_json\n"
      "sim click Sam#3\n");
  EXPECT_EQ(run.status, 1) << run.output;  // only the last line fails: there is no third Sam
  EXPECT_TRUE(run.Has("error: line 25: no widget \"Sam#3\" shown")) << run.output;
  EXPECT_FALSE(run.Has("Exception in")) << run.output;

  EXPECT_NE(run.Section("second open")
                .find("  > Alice (closed)\n  > Sam (closed)\n  > Sam (open)\n      " + kBoxes),
            std::string::npos)
      << run.output;
  const std::string second = run.Section("second ticked");
  EXPECT_NE(second.find("invis_json = \"" + TableJson({{5, 1}}) + "\""), std::string::npos) << second;
  EXPECT_NE(second.find("  Sam #2          1     2     shown\n  Sam #3          1     5     hidden\n"),
            std::string::npos)
      << second;
  EXPECT_NE(run.Section("both open")
                .find("  > Sam (open)\n      " + kBoxes +
                      "      [x] Visible to Spectators\n  > Sam (open)\n"
                      "      [x] Visible to Teammates\n      [ ] Visible to Opponents\n"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.Section("first ticked").find("invis_json = \"" + TableJson({{2, 0}, {5, 1}}) + "\""),
            std::string::npos)
      << run.output;
}

// Names are labels only: "##", "%" and a leading ">" show whole, and the node
// and its boxes belong to the slot.
TEST(SimToolPanel, NamesShowWhole) {
  const ToolRun run = RunScript(
      "sim client alice unavailable\nplugin load Glimmerfade\n"
      "names_specshortcuts \"1,Ann##x;2,Ann##y;3,50%s%n;4,> Bo\"\n"
      "sim echo closed\nsim panel\nsim open Ann##y\nsim open > Bo\n"
      "sim click Ann##y / Visible to Spectators\nsim echo opened\nsim panel\ninvis_json\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.Section("closed").find("  > Ann##x (closed)\n  > Ann##y (closed)\n  > 50%s%n (closed)\n"
                                       "  > > Bo (closed)\n"),
            std::string::npos)
      << run.output;
  const std::string opened = run.Section("opened");
  EXPECT_NE(opened.find("  > Ann##x (closed)\n  > Ann##y (open)\n      " + kBoxes +
                        "      [ ] Visible to Spectators\n  > 50%s%n (closed)\n  > > Bo (open)\n"),
            std::string::npos)
      << opened;
  EXPECT_NE(opened.find("invis_json = \"" + TableJson({{2, 2}}) + "\""), std::string::npos) << opened;
}

}  // namespace
}  // namespace simtool_test
