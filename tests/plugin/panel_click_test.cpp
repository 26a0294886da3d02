// Clicking the settings page with the host's simulated mouse: what the enable
// switch and the flag boxes write, and what they leave alone.
#include <algorithm>

#include "common/panel_fixture.h"

namespace panel_test {
namespace {

bool Hooked(const sim::Client& target) {
  const std::vector<std::string> events = target.HookedEvents();
  return std::find(events.begin(), events.end(), kVehicleInputEvent) != events.end();
}

// The hook follows at the game thread's next turn.
TEST_F(PanelTest, EnableSwitchSetsTheVariableInTheClickingDraw) {
  ASSERT_TRUE(Click({"Enable plugin"}));
  EXPECT_EQ(Value(kEnabledCvar), "1");
  Sim().RunPending();
  EXPECT_TRUE(Hooked(client));
  ASSERT_TRUE(Click({"Enable plugin"}));
  EXPECT_EQ(Value(kEnabledCvar), "0");
  Sim().RunPending();
  EXPECT_FALSE(Hooked(client));
}

TEST_F(PanelTest, FlagClickWritesTheWholePanelTableOnce) {
  SetNames("1,Ann;3,Bob");
  ASSERT_TRUE(client.SetCvar(kInvisJsonCvar, tables::Json(tables::AllHidden())));
  ASSERT_TRUE(Click({"Ann"}));
  ASSERT_TRUE(Click({"Bob"}));
  Sim().RunPending();
  const size_t before = client.ConsoleSize();

  ASSERT_TRUE(Click({"Bob", "Visible to Opponents"}));
  EXPECT_EQ(WritesSince(before), 1u);
  EXPECT_EQ(Value(kInvisJsonCvar), tables::Json(tables::Cleared({{3, 1}})));

  ASSERT_TRUE(Click({"Ann", "Visible to Spectators"}));
  EXPECT_EQ(WritesSince(before), 2u);
  EXPECT_EQ(Value(kInvisJsonCvar), tables::Json(tables::Cleared({{3, 1}, {1, 2}})));

  ASSERT_TRUE(Click({"Bob", "Visible to Opponents"}));
  EXPECT_EQ(Value(kInvisJsonCvar), tables::Json(tables::Cleared({{1, 2}})));
  EXPECT_EQ(WritesSince(before), 3u);
}

TEST_F(PanelTest, ReceivedTableChangesNoBoxAndIsOverwrittenByTheNextClick) {
  SetNames("2,Cy");
  ASSERT_TRUE(Click({"Cy"}));
  ASSERT_TRUE(Click({"Cy", "Visible to Teammates"}));
  const std::string received = tables::Json(tables::AllHidden());
  ASSERT_TRUE(client.SetCvar(kInvisJsonCvar, received));

  const std::string page = Draw();
  EXPECT_NE(page.find("    [ ] Visible to Teammates\n    [x] Visible to Opponents\n    [x] Visible to "
                      "Spectators\n"),
            std::string::npos)
      << page;
  EXPECT_EQ(Value(kInvisJsonCvar), received);

  ASSERT_TRUE(Click({"Cy", "Visible to Spectators"}));
  EXPECT_EQ(Value(kInvisJsonCvar), tables::Json(tables::Cleared({{2, 0}, {2, 2}})));
}

// The table belongs to slots, not names: a new player in the slot inherits it,
// and the slot's node, open state included.
TEST_F(PanelTest, PanelTableOutlivesTheNamesList) {
  SetNames("3,Bob");
  ASSERT_TRUE(Click({"Bob"}));
  ASSERT_TRUE(Click({"Bob", "Visible to Opponents"}));
  SetNames("3,Cat");
  ASSERT_EQ(client.SettingsNodeOpen("Glimmerfade", {"Cat"}), std::optional<bool>(true));
  ASSERT_TRUE(Click({"Cat", "Visible to Teammates"}));
  EXPECT_EQ(Value(kInvisJsonCvar), tables::Json(tables::Cleared({{3, 0}, {3, 1}})));
}

TEST_F(PanelTest, WidgetsNotShownCannotBeClicked) {
  SetNames("1,Ann");
  const size_t before = client.ConsoleSize();
  EXPECT_FALSE(Click({"Ann", "Visible to Opponents"}));  // node closed
  EXPECT_FALSE(Click({"Zed"}));
  EXPECT_FALSE(Click({"Visible to Opponents"}));  // only inside a node
  EXPECT_FALSE(client.ClickWidget("NoSuchPlugin", {"Enable plugin"}));
  EXPECT_EQ(WritesSince(before), 0u);
  EXPECT_EQ(Value(kEnabledCvar), "0");
}

}  // namespace
}  // namespace panel_test
