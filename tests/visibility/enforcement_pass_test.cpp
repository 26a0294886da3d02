// The enforcement pass through the simulated host with the real module: which
// cars it hides or shows, the names list it writes, and what it reports.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/MatchWorld.h"
#include "common/SimulationTest.h"
#include "common/Tables.h"
#include "model/VisibilityRules.h"
#include "plugin/Shroudweave.h"
#include "visibility/EnforcementPass.h"
#include "visibility/NamesList.h"
#include "visibility/RosterIdentity.h"
#include "visibility/VisibilityTable.h"
#include "visibility/WrongShapeReports.h"

using namespace glimmerfade;

namespace {

const std::deque<bool> kOnlySpectators = {false, false, true};

class EnforcementPass : public SimulationTest {
 protected:
  sim::Client& client = PluginClient("local");
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);

  // The switch hooks at the game thread's next turn.
  void SetUp() override {
    ASSERT_TRUE(client.SetCvar(kEnabledCvar, "1"));
    Sim().RunPending();
  }

  // Viewer on team 0 in slot 1, a teammate in slot 2, opponents in slots 3 and 4.
  void StartMatch(bool online = false) {
    for (const sim::PlayerSetup& p : std::vector<sim::PlayerSetup>{
             {"Viewer", 0, false, 1}, {"Mate", 0, false, 2}, {"Opp", 1, false, 3}, {"Opp2", 1, false, 4}})
      match.AddPlayer(p);
    online ? client.JoinMatch(match) : client.RunMatch(match);
    client.Control("Viewer");
  }
  void Set(const std::string& name, const std::string& value) { ASSERT_TRUE(client.SetCvar(name, value)); }
  void SetTable(const VisibilityTable& table) { Set(kInvisJsonCvar, EncodeVisibilityTable(table)); }
  void Pass(int count = 1) {
    for (int i = 0; i < count; ++i) client.RaiseVehicleInput();
  }
  std::set<std::string> HiddenCars(sim::Match* in = nullptr) const {
    std::set<std::string> hidden;
    for (sim::Player* player : (in ? *in : match).Players())
      if (client.CarHidden(player->setup.name).value_or(false)) hidden.insert(player->setup.name);
    return hidden;
  }
  std::string Names() const { return client.CvarValue(kNamesListCvar).value_or("<none>"); }
  // The pass's own lines written since the given console index.
  std::vector<std::string> PassLines(size_t since) const {
    std::vector<std::string> lines;
    for (const std::string& line : client.ConsoleSince(since))
      if (line.rfind("player", 0) == 0 || line.rfind(kInvisJsonCvar, 0) == 0) lines.push_back(line);
    return lines;
  }
};

// Each scenario starts with every car shown and runs one pass.
TEST_F(EnforcementPass, Scenarios) {
  struct Scenario {
    const char* what;
    std::vector<sim::PlayerSetup> players;  // name, team, spectator, shortcut, has car
    std::string viewer;
    VisibilityTable table;
    std::set<std::string> hidden;
    std::string names;
  };
  VisibilityTable tenEntries = tables::AllHidden();
  tenEntries.push_back({false, false, false});
  const Scenario scenarios[] = {
      {"a spectating viewer follows flag 2 whatever the team",
       {{"Blue", 0, false, 1}, {"Orange", 1, false, 2}, {"Watcher", 255, true, 3}},
       "Watcher",
       tables::With({{1, kOnlySpectators}, {2, {true, true, false}}}),
       {"Orange"},
       "1,Blue;2,Orange;3;4;5;6;7;8;"},
      {"own car and a twin on the own number shown",
       {{"Viewer", 0, false, 1}, {"Twin", 0, false, 1}, {"Other", 0, false, 2}},
       "Viewer",
       tables::AllHidden(),
       {"Other"},
       "1,Twin;2,Other;3;4;5;6;7;8;"},
      {"no own-car exemption without an own car",
       {{"Viewer", 0, false, 1, false}, {"Twin", 0, false, 1}},
       "Viewer",
       tables::AllHidden(),
       {"Twin"},
       "1,Twin;2;3;4;5;6;7;8;"},
      {"spectators, teamless and carless players neither listed nor touched",
       {{"Viewer", 0, false, 1},
        {"Watcher", 0, true, 2},
        {"Teamless", 255, false, 3},
        {"Carless", 1, false, 4, false}},
       "Viewer",
       tables::AllHidden(),
       {},
       "1,Viewer;2;3;4;5;6;7;8;"},
      {"numbers beyond the table or the name slots skipped",
       {{"Viewer", 0, false, 1},
        {"Minus", 1, false, -1},
        {"Nine", 1, false, 9},
        {"Max", 1, false, 2147483647}},
       "Viewer",
       tenEntries,
       {"Nine"},
       "1,Viewer;2;3;4;5;6;7;8;"},
      {"slot 0 unlisted, later entry wins, ';' dropped from names",
       {{"Zero", 0, false, 0},
        {"Alpha", 0, false, 1},
        {"Bravo", 1, false, 3},
        {"Late, B", 1, false, 3},
        {"Semi;colon", 1, false, 6}},
       "Alpha",
       DefaultVisibilityTable(),
       {},
       "1,Alpha;2;3,Late, B;4;5;6,Semicolon;7;8;"},
      {"no players", {}, "", DefaultVisibilityTable(), {}, "1;2;3;4;5;6;7;8;"},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.what);
    sim::Match& arena = Sim().CreateMatch(s.what, kAnyPlaylist);
    for (const sim::PlayerSetup& player : s.players) arena.AddPlayer(player);
    client.RunMatch(arena);
    client.Control(s.viewer);
    SetTable(s.table);
    Pass();
    EXPECT_EQ(HiddenCars(&arena), s.hidden);
    EXPECT_EQ(Names(), s.names);
  }
}

TEST_F(EnforcementPass, RelationToTheViewerChoosesTheFlag) {
  match.AddPlayer({"Viewer", 0, false, 1});
  match.AddPlayer({"Target", 0, false, 4});
  client.RunMatch(match);
  client.Control("Viewer");
  for (int viewerTeam : {0, 1, 2, 7, 254, 255}) {
    client.SetViewerTeam(viewerTeam);
    for (int carTeam : {0, 1}) {
      match.UpdatePlayer("Target", {"Target", carTeam, false, 4});
      for (int bits = 0; bits < 8; ++bits) {
        const std::deque<bool> flags = {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
        SetTable(tables::With({{4, flags}}));
        Pass();
        model::Table table = model::DefaultTable();
        table[4] = model::Flags(flags.begin(), flags.end());
        const model::CarState wanted = model::Decide(table, model::Viewer{viewerTeam, true, 1, true},
                                                     model::Owner{"Target", carTeam, 4});
        EXPECT_EQ(HiddenCars().count("Target"), wanted == model::CarState::Hidden ? 1u : 0u)
            << "viewer team " << viewerTeam << ", car team " << carTeam << ", flags " << bits;
      }
    }
  }
}

TEST_F(EnforcementPass, EveryPassSetsEveryCarAndTicksRunItOnlyWhileEnabled) {
  StartMatch();
  SetTable(tables::AllHidden());
  Sim().Tick();
  EXPECT_EQ(HiddenCars(), (std::set<std::string>{"Mate", "Opp", "Opp2"}));
  SetTable(tables::With({{3, kOnlySpectators}}));
  Sim().Tick();
  EXPECT_EQ(HiddenCars(), std::set<std::string>{"Opp"});

  Set(kEnabledCvar, "0");
  SetTable(DefaultVisibilityTable());
  Sim().Tick(3);
  EXPECT_EQ(HiddenCars(), std::set<std::string>{"Opp"});  // switching off shows nothing again
}

TEST_F(EnforcementPass, OnlineOnlyTheEnforcedPlaylistIsEnforcedAndItsNamesListIsEmpty) {
  match.SetPlaylistId(kEnforcedOnlinePlaylist);
  StartMatch(/*online=*/true);
  Set(kNamesListCvar, "kept");
  SetTable(tables::With({{3, kOnlySpectators}}));
  Pass();
  EXPECT_EQ(HiddenCars(), std::set<std::string>{"Opp"});
  EXPECT_EQ(Names(), "");

  match.SetPlaylistId(kOtherPlaylist);
  Set(kNamesListCvar, "kept");
  SetTable(DefaultVisibilityTable());
  Pass();
  EXPECT_EQ(HiddenCars(), std::set<std::string>{"Opp"});
  EXPECT_EQ(Names(), "kept");
}

TEST_F(EnforcementPass, NoCarArrayNoControllerOrNoLocalEntryChangesNoCar) {
  StartMatch();
  VisibilityTable table = tables::AllHidden();
  table[3] = {false, false};
  SetTable(table);
  Set(kNamesListCvar, "kept");
  match.SetHasCarArray(false);
  Pass();
  client.SetNoController();
  Pass();
  EXPECT_EQ(Names(), "kept");

  match.SetHasCarArray(true);
  client.Control("");
  const size_t mark = client.ConsoleSize();
  Pass();
  EXPECT_EQ(PassLines(mark), std::vector<std::string>{"playerBools is not populated for player 3"});
  EXPECT_EQ(Names(), "1,Viewer;2,Mate;3,Opp;4,Opp2;5;6;7;8;");
  EXPECT_EQ(HiddenCars(), std::set<std::string>{});
}

// A game event without a roster: the names list names nobody, no car changes,
// and nothing is read from the missing roster (the strict host's fault).
TEST_F(EnforcementPass, NoRosterNamesNobodyAndChangesNoCar) {
  StartMatch();
  SetTable(tables::AllHidden());
  client.SetNullObject(sim::WorldObject::PlayerArray, true);
  Pass();
  EXPECT_EQ(Names(), "1;2;3;4;5;6;7;8;");
  EXPECT_EQ(HiddenCars(), std::set<std::string>{});
}

TEST_F(EnforcementPass, UnusableTablesWriteNamesChangeNoCarAndReportAsDescribed) {
  StartMatch();
  SetTable(tables::AllHidden());
  Pass();
  const std::set<std::string> before = HiddenCars();
  VisibilityTable shortEntries = tables::AllHidden();  // its entries 3 and 4 lack flag 2
  shortEntries[3] = shortEntries[4] = {true, true};
  const struct {
    std::string value;
    std::vector<std::string> linesPerPass;
  } cases[] = {
      {"", {}},
      {"{\"invisDeque\":[[true]", {}},
      {EncodeVisibilityTable(VisibilityTable(8, std::deque<bool>(3, true))),
       {"playerInvisibilityStates is not populated!"}},
      {EncodeVisibilityTable(shortEntries),
       {"playerBools is not populated for player 3", "playerBools is not populated for player 4"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    Set(kInvisJsonCvar, c.value);
    Set(kNamesListCvar, "");
    const size_t mark = client.ConsoleSize();
    Pass(2);
    std::vector<std::string> expected = c.linesPerPass;
    expected.insert(expected.end(), c.linesPerPass.begin(), c.linesPerPass.end());
    EXPECT_EQ(PassLines(mark), expected);
    EXPECT_EQ(HiddenCars(), before);
    EXPECT_EQ(Names(), "1,Viewer;2,Mate;3,Opp;4,Opp2;5;6;7;8;");
  }
}

// Online the sender is silent, so each line here is the pass's own report. A
// value that comes back after others is not reported again either.
TEST_F(EnforcementPass, WrongShapeIsReportedOncePerValue) {
  match.SetPlaylistId(kEnforcedOnlinePlaylist);
  StartMatch(/*online=*/true);
  const size_t mark = client.ConsoleSize();
  for (const char* value : {"{}", "{}", "[]", "{}", R"({"invisDeque":[[true,1,true]]})", "[]", "{}"}) {
    Set(kInvisJsonCvar, value);
    Pass(3);
  }
  // Each report carries the JSON library's reason, whatever its wording.
  const auto report = [](const std::string& value) {
    return kWrongShapeReport + DecodeVisibilityTable(value).error;
  };
  EXPECT_EQ(PassLines(mark), (std::vector<std::string>{report("{}"), report("[]"),
                                                       report(R"({"invisDeque":[[true,1,true]]})")}));
}

// The latest 32 values are remembered: the first of 33 is reported again.
TEST_F(EnforcementPass, WrongShapeMemoryForgetsTheOldestOf33Values) {
  match.SetPlaylistId(kEnforcedOnlinePlaylist);
  StartMatch(/*online=*/true);
  const auto reportsOf = [&](int value) {
    const size_t mark = client.ConsoleSize();
    Set(kInvisJsonCvar, "{\"v\":" + std::to_string(value) + "}");
    Pass();
    return PassLines(mark).size();
  };
  for (int value = 0; value < 32; ++value) EXPECT_EQ(reportsOf(value), 1u) << value;
  EXPECT_EQ(reportsOf(0), 0u) << "the first is still remembered after 32";
  EXPECT_EQ(reportsOf(32), 1u);
  EXPECT_EQ(reportsOf(0), 1u) << "the 33rd pushed the first out";
}

// A car destroyed while its entry still hands out its address: the strict
// host reports every call the pass makes on it, and the pass goes on. A
// forgiving host, as the host once was for every client, takes the address
// for no car, so the pass leaves the car out without a word.
TEST_F(EnforcementPass, ACarDestroyedUnderItsEntryIsAFaultUnlessTheHostForgives) {
  expectNoFaults = false;
  StartMatch();
  SetTable(tables::With({{3, kOnlySpectators}, {4, kOnlySpectators}}));
  for (const bool strict : {true, false}) {
    client.SetStrict(strict);
    std::ostringstream dead;
    dead << " on 0x" << std::hex << client.DestroyCarKeepingItsAddress(strict ? "Opp" : "Opp2")
         << ", which holds no live ";
    const size_t mark = client.ConsoleSize();
    Pass();
    const std::vector<std::string> strictFaults = {
        "fault: CarWrapper::GetOwnerName" + dead.str() + "car (destroyed)",
        "fault: ActorWrapper::GetTeamNum2" + dead.str() + "actor (destroyed)",
        "fault: ActorWrapper::SetHidden2" + dead.str() + "actor (destroyed)"};
    EXPECT_EQ(client.ConsoleSince(mark), strict ? strictFaults : std::vector<std::string>{});
  }
  EXPECT_EQ(client.Faults(), 3u);
}

// Whatever "invis_json" holds, nothing a pass throws reaches the host, and
// every pass writes the names list and sets the cars as the model says (here:
// changes none, since no value is a table of 9 entries).
TEST_F(EnforcementPass, NoValueOfTheTableEscapesIntoTheHost) {
  StartMatch();
  const model::Viewer viewer{0, true, 1, true};
  const std::vector<model::Owner> roster = {{"Viewer", 0, 1}, {"Mate", 0, 2}, {"Opp", 1, 3}, {"Opp2", 1, 4}};
  std::set<std::string> hidden;
  for (const char* value :
       {"", " ", "null", "{}", "[]", "-1", "true", "\"s\"", "{\"invisDeque\":null}", "{\"invisDeque\":[1]}",
        "{\"invisDeque\":[[]]}", "{\"invisDeque\":[[1e999]]}",
        "{\"invisDeque\":[[true],[false,false,false,false]]}", "\xff\xfe", "{\"a\":\"\xc3\"}",
        "[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]", "{\"invisDeque\":[]} trailing"}) {
    Set(kNamesListCvar, "");
    Set(kInvisJsonCvar, value);
    Sim().Tick();
    EXPECT_EQ(client.EscapedExceptions(), 0u) << value;
    const model::PassResult pass = model::Pass(model::DecodeTable(value), false, viewer, roster);
    for (const auto& [name, state] : pass.cars) {
      if (state == model::CarState::Hidden) hidden.insert(name);
      if (state == model::CarState::Shown) hidden.erase(name);
    }
    EXPECT_EQ(HiddenCars(), hidden) << value;
    EXPECT_EQ(Names(), pass.namesList) << value;
  }
}

// A game reuses the memory of a match it left, so the next match may hand out
// the old addresses in the old order; its first walk must still count as a
// change, once the client was seen outside a match or walks another event.
TEST(RosterIdentity, TheFirstWalkOfEveryMatchIsAChangeWhateverItsAddresses) {
  const auto walk = [](RosterIdentity& identity, uintptr_t event, std::vector<uintptr_t> entries) {
    identity.BeginWalk(event);
    for (uintptr_t entry : entries) identity.Walk(entry);
    return identity.EndWalk();
  };
  RosterIdentity identity;
  EXPECT_TRUE(walk(identity, 0x100, {0x10, 0x20}));
  EXPECT_FALSE(walk(identity, 0x100, {0x10, 0x20}));
  EXPECT_TRUE(walk(identity, 0x100, {0x10, 0x20, 0x30}));  // a joiner
  EXPECT_TRUE(walk(identity, 0x100, {0x10, 0x30}));        // a leaver
  identity.Forget();                                       // the match is left
  EXPECT_TRUE(walk(identity, 0x100, {0x10, 0x30}));        // the next one reuses every address
  EXPECT_FALSE(walk(identity, 0x100, {0x10, 0x30}));
  EXPECT_TRUE(walk(identity, 0x200, {0x10, 0x30}));  // another game event, the same entries
  EXPECT_TRUE(walk(identity, 0x200, {}));
  identity.Forget();
  EXPECT_TRUE(walk(identity, 0x200, {}));  // even an empty first walk: whoever comes next is new
  EXPECT_FALSE(walk(identity, 0x200, {}));
}
}  // namespace
