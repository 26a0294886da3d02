// One change of the visibility table, end to end: typed on the client that runs
// a playlist-24 match, carried by NetcodePlugin to the two clients that joined
// it online, and enforced on every screen at the next tick.
#include <map>

#include "tests/netcode/bridge_support.h"
#include "visibility/InvisibilityTable.h"

namespace {

using namespace netcode_test;

// Shortcut numbers: Alpha 1, Bravo 2, Charlie 3, Delta 4 (Delta has no client).
std::string TableJson(const std::map<int, std::string>& rows) {
  std::string entries;
  for (int n = 0; n < 9; ++n) {
    auto row = rows.find(n);
    entries += std::string(n ? "," : "") + (row == rows.end() ? "[true,true,true]" : row->second);
  }
  return "{\"invisDeque\":[" + entries + "]}";
}

class EndToEnd : public ::testing::Test {
 protected:
  ScratchFolder scratch;
  sim::Simulation simulation{scratch.path};
  sim::Match& match = simulation.CreateMatch("arena", 24);
  sim::Client& host = simulation.AddClient("host");
  sim::Client& bravo = simulation.AddClient("bravo");
  sim::Client& charlie = simulation.AddClient("charlie");
  const std::vector<std::string> players = {"Alpha", "Bravo", "Charlie", "Delta"};

  void SetUp() override {
    match.AddPlayer({"Alpha", 0, false, 1, true});
    match.AddPlayer({"Bravo", 1, false, 2, true});
    match.AddPlayer({"Charlie", 0, false, 3, true});
    match.AddPlayer({"Delta", 1, false, 4, true});
    for (sim::Client* client : {&host, &bravo, &charlie}) {
      client->SetNetcodeAvailability(sim::NetcodeAvailability::Loaded);
      ASSERT_TRUE(client->InstallPluginFile("Glimmerfade"));
      ASSERT_TRUE(client->LoadPlugin("Glimmerfade"));
    }
    host.RunMatch(match);
    host.Control("Alpha");
    bravo.JoinMatch(match);
    bravo.Control("Bravo");
    charlie.JoinMatch(match);
    charlie.Control("Charlie");
    for (sim::Client* client : {&host, &bravo, &charlie}) client->RunCommand("shroudweave_enabled 1");
    simulation.Tick();
  }
  void TearDown() override {
    for (sim::Client* client : {&host, &bravo, &charlie}) {
      ExpectNoEscapedExceptions(*client);
    }
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
    simulation.Tick();  // the host's game-thread task sends
    const std::string before = *bravo.CvarValue(kInvisJsonCvar);
    simulation.AdvanceSeconds(simulation.NetworkDelay() * 0.8);
    EXPECT_EQ(bravo.CvarValue(kInvisJsonCvar), before) << "arrived before the network delay";
    simulation.AdvanceSeconds(simulation.NetworkDelay() * 0.4);
  }
};

TEST_F(EndToEnd, TableTypedOnTheHostHidesCarsOnTheScreensItNames) {
  ASSERT_EQ(HiddenCars(), "host:;bravo:;charlie:;");

  // Delta hidden from opponents, Alpha hidden from teammates.
  const std::string table = TableJson({{1, "[false,true,true]"}, {4, "[true,false,true]"}});
  ChangeTableAndWait(table);
  EXPECT_EQ(bravo.CvarValue(kInvisJsonCvar), table);
  EXPECT_EQ(charlie.CvarValue(kInvisJsonCvar), table);

  simulation.Tick();
  // Alpha's own screen shows Alpha; Charlie is Alpha's teammate; Bravo is Delta's.
  EXPECT_EQ(HiddenCars(), "host:Delta ;bravo:;charlie:Alpha Delta ;");

  ChangeTableAndWait(TableJson({}));
  simulation.Tick();
  EXPECT_EQ(HiddenCars(), "host:;bravo:;charlie:;");
}

TEST_F(EndToEnd, EveryChangeTravelsInOrder) {
  const std::string first = TableJson({{2, "[true,false,true]"}});
  const std::string second = TableJson({{3, "[true,false,true]"}});
  host.RunCommand("invis_json " + first);
  host.RunCommand("invis_json " + second);
  simulation.AdvanceSeconds(0.2);
  EXPECT_EQ(bravo.CvarValue(kInvisJsonCvar), second);
  EXPECT_EQ(charlie.CvarValue(kInvisJsonCvar), second);
  simulation.Tick();
  // Only the second table holds: Charlie (team 0) is hidden on Bravo's screen, Bravo nowhere.
  EXPECT_EQ(HiddenCars(), "host:;bravo:Charlie ;charlie:;");
}

// The same road started from the settings panel: one click stores the table.
TEST_F(EndToEnd, PanelClickOnTheHostTravels) {
  ASSERT_TRUE(host.ClickWidget("Glimmerfade", {"Delta"}));
  ASSERT_TRUE(host.ClickWidget("Glimmerfade", {"Delta", "Visible to Opponents"}));
  simulation.AdvanceSeconds(0.1);
  const std::string table = TableJson({{4, "[true,false,true]"}});
  EXPECT_EQ(host.CvarValue(kInvisJsonCvar), table);
  EXPECT_EQ(bravo.CvarValue(kInvisJsonCvar), table);
  EXPECT_EQ(charlie.CvarValue(kInvisJsonCvar), table);
  simulation.Tick();
  EXPECT_EQ(HiddenCars(), "host:Delta ;bravo:;charlie:Delta ;");
}

}  // namespace
