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

// Each click writes the table shown, with that one flag changed, whole.
TEST_F(PanelTest, FlagClickWritesTheWholeShownTableOnce) {
  SetNames("1,Ann;3,Bob");
  ASSERT_TRUE(client.SetCvar(kInvisJsonCvar, tables::Json(tables::Cleared({{0, 1}, {8, 2}}))));
  ASSERT_TRUE(Click({"Ann"}));
  ASSERT_TRUE(Click({"Bob"}));
  Sim().RunPending();
  const size_t before = client.ConsoleSize();

  ASSERT_TRUE(Click({"Bob", "Visible to Opponents"}));
  EXPECT_EQ(WritesSince(before), 1u);
  EXPECT_EQ(Value(kInvisJsonCvar), tables::Json(tables::Cleared({{0, 1}, {8, 2}, {3, 1}})));

  ASSERT_TRUE(Click({"Ann", "Visible to Spectators"}));
  EXPECT_EQ(WritesSince(before), 2u);
  EXPECT_EQ(Value(kInvisJsonCvar), tables::Json(tables::Cleared({{0, 1}, {8, 2}, {3, 1}, {1, 2}})));

  ASSERT_TRUE(Click({"Bob", "Visible to Opponents"}));
  EXPECT_EQ(Value(kInvisJsonCvar), tables::Json(tables::Cleared({{0, 1}, {8, 2}, {1, 2}})));
  EXPECT_EQ(WritesSince(before), 3u);
}

// The boxes show the table in force at the next draw, however it got into
// "invis_json": its first 9 x 3 flags. Text without them (too short, a wrong
// shape, not JSON) leaves the boxes as they were; a click then writes them.
TEST_F(PanelTest, TableTypedInTheConsoleShowsAtTheNextDraw) {
  SetNames("2,Cy");
  ASSERT_TRUE(Click({"Cy"}));
  const std::string cyHiddenFromTeammatesAndSpectators =
      "    [ ] Visible to Teammates\n    [x] Visible to Opponents\n    [ ] Visible to Spectators\n";
  const struct {
    std::string typed;
    std::string shown;
  } cases[] = {
      {tables::Json(tables::Cleared({{2, 0}, {2, 2}, {7, 1}})), cyHiddenFromTeammatesAndSpectators},
      {R"({"invisDeque":[[true,true,true]]})", cyHiddenFromTeammatesAndSpectators},
      {tables::Json(tables::With({{2, {true, true, true}}, {4, {true}}})),
       cyHiddenFromTeammatesAndSpectators},
      {R"({"invisDeque":5})", cyHiddenFromTeammatesAndSpectators},
      {"garbage", cyHiddenFromTeammatesAndSpectators},
      {tables::Json(tables::With({{2, {true, false, true, false}}})),
       "    [x] Visible to Teammates\n    [ ] Visible to Opponents\n    [x] Visible to Spectators\n"},
  };
  for (const auto& [typed, shown] : cases) {
    client.RunCommand("invis_json " + typed);
    const std::string page = Draw();
    EXPECT_NE(page.find(shown), std::string::npos) << typed << "\n" << page;
  }
  client.RunCommand("invis_json garbage");
  ASSERT_TRUE(Click({"Cy", "Visible to Spectators"}));
  EXPECT_EQ(Value(kInvisJsonCvar), tables::Json(tables::Cleared({{2, 1}, {2, 2}})));
}

// After a restart the page shows the saved table, and the first click changes
// one flag of it instead of writing every box ticked over it.
TEST_F(PanelTest, RestartShowsTheSavedTableAndTheFirstClickKeepsIt) {
  SetNames("3,Bob");
  ASSERT_TRUE(client.SetCvar(kInvisJsonCvar, tables::Json(tables::Cleared({{3, 1}, {5, 0}}))));
  ASSERT_TRUE(client.Restart(true));
  ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
  ASSERT_TRUE(Click({"Bob"}));
  const std::string page = Draw();
  EXPECT_NE(page.find("    [x] Visible to Teammates\n    [ ] Visible to Opponents\n"), std::string::npos)
      << page;
  ASSERT_TRUE(Click({"Bob", "Visible to Teammates"}));
  EXPECT_EQ(Value(kInvisJsonCvar), tables::Json(tables::Cleared({{3, 0}, {3, 1}, {5, 0}})));
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
