// The host's settings window itself: pages of several plug-ins in one Dear
// ImGui context, a page that throws half-way, and pages that come and go.
#include "common/ConsoleLines.h"
#include "common/panel_fixture.h"

namespace panel_test {
namespace {

const char* const kFaulty = "Faulty panel";

class SettingsWindowTest : public PanelTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(client.InstallPluginFile("FaultyPanel"));
    ASSERT_TRUE(client.LoadPlugin("FaultyPanel"));
  }
  size_t ConsoleCount(const std::string& line) const { return console_lines::Count(client.Console(), line); }
};

TEST_F(SettingsWindowTest, EveryPageUnderItsDisplayName) {
  EXPECT_EQ(client.DrawSettings(""),
            std::string("[Glimmerfade]\n[ ] Enable plugin\n") + kSeparator + "\n" + kCredit +
                "\n[Faulty panel]\n[ ] Unload this plug-in\n[ ] Throw inside the node\n> Node (closed)\n");
  EXPECT_EQ(client.DrawSettings("FaultyPanel"), client.DrawSettings(kFaulty));  // module name or display name
}

TEST_F(SettingsWindowTest, PageThatThrowsIsReportedAndItsOpenNodeClosedByTheHost) {
  ASSERT_TRUE(client.ClickWidget(kFaulty, {"Node"}));
  EXPECT_EQ(client.DrawSettings(kFaulty),
            "[ ] Unload this plug-in\n[ ] Throw inside the node\n> Node (open)\n    inside\n");

  ASSERT_TRUE(client.ClickWidget(kFaulty, {"Throw inside the node"}));  // its release frame throws
  EXPECT_EQ(client.DrawSettings(kFaulty),
            "[ ] Unload this plug-in\n[x] Throw inside the node\n> Node (open)\n");
  expectedEscapes = 2;
  EXPECT_EQ(client.EscapedExceptions(), *expectedEscapes);
  EXPECT_EQ(
      ConsoleCount("Exception in plug-in FaultyPanel (settings window DrawSettingsPanel): page fault on "
                   "purpose"),
      2u);
  EXPECT_EQ(ConsoleCount("Settings window: Recovered from missing TreePop() in 'Faulty panel'"), 2u);

  // The shared context is still sound: the other page draws and clicks as before.
  ASSERT_TRUE(Click({"Enable plugin"}));
  EXPECT_EQ(Value(kEnabledCvar), "1");
  EXPECT_EQ(client.EscapedExceptions(), *expectedEscapes);
}

TEST_F(SettingsWindowTest, ReloadedModuleIsHandedTheContextAgain) {
  ASSERT_TRUE(client.ClickWidget(kFaulty, {"Node"}));
  ASSERT_TRUE(client.UnloadPlugin("FaultyPanel"));
  EXPECT_EQ(client.DrawSettings(kFaulty), "");
  EXPECT_FALSE(client.ClickWidget(kFaulty, {"Node"}));

  ASSERT_TRUE(client.LoadPlugin("FaultyPanel"));
  // A fresh copy of the module: it draws only if it was handed the context.
  EXPECT_EQ(client.DrawSettings(kFaulty),
            "[ ] Unload this plug-in\n[ ] Throw inside the node\n> Node (open)\n    inside\n");
}

TEST_F(SettingsWindowTest, PageThatUnloadsItsOwnPluginWhileDrawn) {
  ASSERT_TRUE(client.ClickWidget(kFaulty, {"Unload this plug-in"}));
  EXPECT_FALSE(client.IsPluginLoaded("FaultyPanel"));
  EXPECT_EQ(client.DrawSettings(kFaulty), "");
  EXPECT_EQ(client.DrawSettings(""),
            std::string("[Glimmerfade]\n[ ] Enable plugin\n") + kSeparator + "\n" + kCredit + "\n");
}

// A page that draws a row Dear ImGui does not log: its rows cannot be paired
// with its lines, and its widgets, whose identities are their labels, are
// still clicked and their open state told.
TEST_F(SettingsWindowTest, PageWithAnUnloggedRowIsReachedByLabels) {
  const std::string drawn = "Drawn panel";
  ASSERT_TRUE(client.InstallPluginFile("DrawnPanel"));
  ASSERT_TRUE(client.LoadPlugin("DrawnPanel"));
  EXPECT_EQ(client.DrawSettings(drawn), "[ ] Box\n> Node (closed)\n");
  ASSERT_TRUE(client.ClickWidget(drawn, {"Node"}));
  ASSERT_TRUE(client.ClickWidget(drawn, {"Node", "Inner"}));
  ASSERT_TRUE(client.ClickWidget(drawn, {"Box"}));
  EXPECT_EQ(client.DrawSettings(drawn), "[x] Box\n> Node (open)\n    [x] Inner\n");
  EXPECT_EQ(client.SettingsNodeOpen(drawn, {"Node"}), std::optional<bool>(true));
  EXPECT_FALSE(client.ClickWidget(drawn, {"Inner"}));  // only inside the node
}

}  // namespace
}  // namespace panel_test
