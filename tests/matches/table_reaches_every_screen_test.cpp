// One change of the visibility table, end to end: typed on the client that runs
// a match in the enforced playlist, carried by NetcodePlugin to the two clients that joined
// it online, and enforced on every screen at the next tick.
#include "common/SimulationTest.h"
#include "common/Tables.h"
#include "netcode/NetcodeManager.h"
#include "plugin/Shroudweave.h"
#include "visibility/EnforcementPass.h"
#include "visibility/VisibilityTable.h"

using namespace glimmerfade;

namespace {

// Shortcut numbers: Alpha 1, Bravo 2, Charlie 3, Delta 4 (Delta has no client).
class EndToEnd : public SimulationTest {
 protected:
  sim::Match& match = Sim().CreateMatch("arena", kEnforcedOnlinePlaylist);
  sim::Client& host = PluginClient("host", sim::NetcodeAvailability::Loaded);
  sim::Client& bravo = PluginClient("bravo", sim::NetcodeAvailability::Loaded);
  sim::Client& charlie = PluginClient("charlie", sim::NetcodeAvailability::Loaded);
  const std::vector<std::string> players = {"Alpha", "Bravo", "Charlie", "Delta"};

  void SetUp() override {
    match.AddPlayer({"Alpha", 0, false, 1, true});
    match.AddPlayer({"Bravo", 1, false, 2, true});
    match.AddPlayer({"Charlie", 0, false, 3, true});
    match.AddPlayer({"Delta", 1, false, 4, true});
    host.RunMatch(match);
    host.Control("Alpha");
    bravo.JoinMatch(match);
    bravo.Control("Bravo");
    charlie.JoinMatch(match);
    charlie.Control("Charlie");
    for (sim::Client* client : {&host, &bravo, &charlie}) client->RunCommand("shroudweave_enabled 1");
    Sim().Tick();
  }
  void TearDown() override {
    SimulationTest::TearDown();
    // A received table is never sent back.
    for (sim::Client* client : {&bravo, &charlie}) {
      EXPECT_EQ(client->CvarValue(kNetcodeMessageOutCvar), "") << client->Name();
      for (const std::string& line : client->Console())
        EXPECT_EQ(line.rfind("Sending netcode message", 0), std::string::npos) << line;
    }
    EXPECT_EQ(host.CvarValue(kNetcodeMessageInCvar), "");
  }

  // Which of the players' cars each screen hides, as "host:Delta;bravo:;...".
  std::string HiddenCars() {
    std::string text;
    for (sim::Client* client : {&host, &bravo, &charlie}) {
      text += client->Name() + ":";
      for (const std::string& player : players) {
        if (client->CarHidden(player).value_or(false)) text += player + " ";
      }
      text += ";";
    }
    return text;
  }

  // Types the table on the host, then waits until just past the network delay.
  void ChangeTableAndWait(const std::string& json) {
    host.RunCommand("invis_json " + json);
    Sim().Tick();  // the host's game-thread task sends
    const std::string before = *bravo.CvarValue(kInvisJsonCvar);
    Sim().AdvanceSeconds(Sim().NetworkDelay() * 0.8);
    EXPECT_EQ(bravo.CvarValue(kInvisJsonCvar), before) << "arrived before the network delay";
    Sim().AdvanceSeconds(Sim().NetworkDelay() * 0.4);
  }
};

TEST_F(EndToEnd, TableTypedOnTheHostHidesCarsOnTheScreensItNames) {
  ASSERT_EQ(HiddenCars(), "host:;bravo:;charlie:;");

  // Delta hidden from opponents, Alpha hidden from teammates.
  const std::string table = tables::Json(tables::Cleared({{1, 0}, {4, 1}}));
  ChangeTableAndWait(table);
  EXPECT_EQ(bravo.CvarValue(kInvisJsonCvar), table);
  EXPECT_EQ(charlie.CvarValue(kInvisJsonCvar), table);

  Sim().Tick();
  // Alpha's own screen shows Alpha; Charlie is Alpha's teammate; Bravo is Delta's.
  EXPECT_EQ(HiddenCars(), "host:Delta ;bravo:;charlie:Alpha Delta ;");

  ChangeTableAndWait(tables::Json(tables::AllVisible()));
  Sim().Tick();
  EXPECT_EQ(HiddenCars(), "host:;bravo:;charlie:;");
}

TEST_F(EndToEnd, EveryChangeTravelsInOrder) {
  const std::string first = tables::Json(tables::Cleared({{2, 1}}));
  const std::string second = tables::Json(tables::Cleared({{3, 1}}));
  host.RunCommand("invis_json " + first);
  host.RunCommand("invis_json " + second);
  Sim().AdvanceSeconds(0.2);
  EXPECT_EQ(bravo.CvarValue(kInvisJsonCvar), second);
  EXPECT_EQ(charlie.CvarValue(kInvisJsonCvar), second);
  Sim().Tick();
  // Only the second table holds: Charlie (team 0) is hidden on Bravo's screen, Bravo nowhere.
  EXPECT_EQ(HiddenCars(), "host:;bravo:Charlie ;charlie:;");
}

// The same road started from the settings panel: one click stores the table.
TEST_F(EndToEnd, PanelClickOnTheHostTravels) {
  ASSERT_TRUE(host.ClickWidget("Glimmerfade", {"Delta"}));
  ASSERT_TRUE(host.ClickWidget("Glimmerfade", {"Delta", "Visible to Opponents"}));
  Sim().AdvanceSeconds(0.1);
  const std::string table = tables::Json(tables::Cleared({{4, 1}}));
  EXPECT_EQ(host.CvarValue(kInvisJsonCvar), table);
  EXPECT_EQ(bravo.CvarValue(kInvisJsonCvar), table);
  EXPECT_EQ(charlie.CvarValue(kInvisJsonCvar), table);
  Sim().Tick();
  EXPECT_EQ(HiddenCars(), "host:Delta ;bravo:;charlie:Delta ;");
}

}  // namespace
