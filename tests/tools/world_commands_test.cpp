// Game-world conditions set up through the simulator command: world objects
// handed out as null, cars whose team or owner name differ from their entry's,
// single vehicle-input events, players who share a name.
#include <gtest/gtest.h>

#include "common/SimScript.h"
#include "common/Tables.h"
#include "visibility/EnforcementPass.h"

using namespace glimmerfade;

namespace {

using sim_script::RunSimScript;
using sim_script::ScriptRun;

const std::string kAliceHidden = "  Alice           0     1     hidden\n";
const std::string kAliceShown = "  Alice           0     1     shown\n";

// Viewer controls Bruno (team 1); Alice (team 0, slot 1) is an opponent.
std::string MatchWithViewer(const std::string& role) {
  return "sim match final " + std::to_string(kEnforcedOnlinePlaylist) +
         "\n"
         "sim player add final Alice team=0 shortcut=1\n"
         "sim player add final Bruno team=1 shortcut=2\n"
         "sim client viewer unavailable\n"
         "plugin load Glimmerfade\n"
         "sim " +
         role +
         " final\n"
         "sim control Bruno\n"
         "shroudweave_enabled 1\n"
         "sim tick\n";
}

// The pass stops where the game hands out a null object: no car changes and
// the names list is not written. Nulling an object of the other role changes nothing.
TEST(WorldCommands, NullObjectStopsThePassBeforeItChangesAnything) {
  struct Case {
    const char* object;
    const char* role;  // "join": online game in the enforced playlist; "run": local game
    bool stops;
  };
  const Case cases[] = {
      {"online-game", "join", true}, {"playlist", "join", true}, {"cars", "join", true},
      {"game-event", "run", true},   {"cars", "run", true},      {"online-game", "run", false},
      {"game-event", "join", false}, {"playlist", "run", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.object) + " " + c.role);
    const bool online = std::string(c.role) == "join";
    const ScriptRun run =
        RunSimScript(MatchWithViewer(c.role) + "invis_json " + tables::Json(tables::Cleared({{1, 1}})) +
                     "\nsim event\nsim echo before\nsim cars\n"
                     "invis_json " +
                     tables::Json(tables::AllVisible()) +
                     "\nnames_specshortcuts kept\n"
                     "sim null " +
                     c.object +
                     "\nsim event\nsim echo nulled\nsim cars\nnames_specshortcuts\n"
                     "sim null none\nsim event\nsim echo restored\nsim cars\nnames_specshortcuts\n");
    ASSERT_EQ(run.failures, 0) << run.output;
    EXPECT_FALSE(run.Has("Exception in")) << run.output;
    EXPECT_NE(run.Section("before").find(kAliceHidden), std::string::npos) << run.output;

    const std::string nulled = run.Section("nulled");
    EXPECT_NE(nulled.find(c.stops ? kAliceHidden : kAliceShown), std::string::npos) << nulled;
    const bool namesKept = nulled.find("names_specshortcuts = \"kept\"") != std::string::npos;
    EXPECT_EQ(namesKept, c.stops) << nulled;

    const std::string restored = run.Section("restored");
    EXPECT_NE(restored.find(kAliceShown), std::string::npos) << restored;
    const std::string names = online ? "\"\"" : "\"1,Alice;2,Bruno;3;4;5;6;7;8;\"";
    EXPECT_NE(restored.find("names_specshortcuts = " + names), std::string::npos) << restored;
  }
}

// The pass decides by the car's own team and lists the car's owner name.
TEST(WorldCommands, CarTeamAndOwnerNameComeFromTheCar) {
  const ScriptRun run = RunSimScript(
      "sim match final 6\nsim player add final Alice team=0 shortcut=1\n"
      "sim player add final Bruno team=1 shortcut=2 carteam=0 owner=Bee\n"
      "sim client viewer unavailable\nplugin load Glimmerfade\nsim run final\nsim control Alice\n"
      "shroudweave_enabled 1\nsim tick\ninvis_json " +
      tables::Json(tables::Cleared({{2, 1}})) +
      "\nsim event\n"
      "sim echo car on the viewer's team\nsim cars\nnames_specshortcuts\n"
      "sim player update final Bruno carteam=same owner=same\nsim event\n"
      "sim echo car on the entry's team\nsim cars\nnames_specshortcuts\n");
  ASSERT_EQ(run.failures, 0) << run.output;
  const std::string lagging = run.Section("car on the viewer's team");
  EXPECT_NE(lagging.find("  Bruno           1     2     shown (car team 0) (owner Bee)\n"), std::string::npos)
      << lagging;
  EXPECT_NE(lagging.find("names_specshortcuts = \"1,Alice;2,Bee;3;4;5;6;7;8;\""), std::string::npos)
      << lagging;
  const std::string same = run.Section("car on the entry's team");
  EXPECT_NE(same.find("  Bruno           1     2     hidden\n"), std::string::npos) << same;
  EXPECT_NE(same.find("names_specshortcuts = \"1,Alice;2,Bruno;3;4;5;6;7;8;\""), std::string::npos) << same;
}

// "sim event" is one pass, "sim tick" one pass per car: a table of 8 entries
// makes each pass say so once.
TEST(WorldCommands, OneEventIsOnePass) {
  std::string shortTable = tables::Json(tables::AllVisible());
  shortTable.erase(shortTable.rfind(",["), std::string("[true,true,true]").size() + 1);
  const ScriptRun run = RunSimScript(
      "sim match final 6\nsim player add final Alice team=0 shortcut=1\n"
      "sim player add final Bruno team=1 shortcut=2\nsim player add final Cy team=1 shortcut=3 car=no\n"
      "sim player add final Dee team=1 shortcut=4\n"
      "sim client viewer unavailable\nplugin load Glimmerfade\nshroudweave_enabled 1\nsim tick\n"
      "sim event\nsim run final\nsim control Alice\ninvis_json " +
      shortTable +
      "\n"
      "sim echo one event\nsim event Bruno\nsim echo one tick\nsim tick\nsim echo mistakes\n"
      "sim event Cy\nsim event Zed\n");
  EXPECT_EQ(run.failures, 2) << run.output;
  const std::string notPopulated = "[viewer] playerInvisibilityStates is not populated!";
  EXPECT_EQ(run.Section("one event").find(notPopulated), run.Section("one event").rfind(notPopulated));
  EXPECT_NE(run.Section("one event").find(notPopulated), std::string::npos) << run.output;
  const ScriptRun tick{0, run.Section("one tick")};
  EXPECT_EQ(tick.Count(notPopulated), 3u) << run.output;  // three cars
  EXPECT_TRUE(run.Has("error: line 19: Cy has no car in final")) << run.output;
  EXPECT_TRUE(run.Has("error: line 20: no player \"Zed\" in final")) << run.output;
}

// Names may repeat; the simulator prints ids once they do, and a shared name
// must then be told apart by #ID or @SLOT.
TEST(WorldCommands, SameNamePlayersAreToldApartByIdOrSlot) {
  const ScriptRun run = RunSimScript(
      "sim match m 6\nsim player add m Sam team=0 shortcut=2\nsim player add m Sam team=1 shortcut=5\n"
      "sim player update m Sam team=1\nsim player update m #2 carteam=0\nsim player update m @2 "
      "spectator=yes\n"
      "sim players m\nsim client c unavailable\nsim run m\nsim control Sam\nsim control @5\n"
      "sim echo two Sams\nsim cars\nsim player remove m #1\nsim echo one Sam\nsim cars\n"
      "sim player remove m #7\n");
  EXPECT_EQ(run.failures, 3) << run.output;
  EXPECT_TRUE(run.Has("player #2 Sam added to m; players named Sam: #1 #2\n")) << run.output;
  const std::string ambiguous = "2 players of m are named \"Sam\" (#1, #2); refer to one by #ID or @SLOT";
  EXPECT_TRUE(run.Has("error: line 4: " + ambiguous)) << run.output;
  EXPECT_TRUE(run.Has("error: line 10: " + ambiguous)) << run.output;
  EXPECT_TRUE(run.Has("  #1 Sam: team 0, shortcut 2, spectator\n  #2 Sam: team 1, shortcut 5, car team 0\n"))
      << run.output;
  const std::string two = run.Section("two Sams");
  EXPECT_NE(two.find("cars on c (m, viewer team 1):"), std::string::npos) << two;
  EXPECT_NE(two.find("  Sam #1          0     2     shown (spectator)\n"), std::string::npos) << two;
  EXPECT_NE(two.find("  Sam #2          1     5     shown (car team 0)\n"), std::string::npos) << two;
  EXPECT_NE(run.Section("one Sam").find("  Sam             1     5     shown (car team 0)\n"),
            std::string::npos)
      << run.output;
  EXPECT_TRUE(run.Has("error: line 17: no player #7 in m")) << run.output;
}

// A match has one host, which does not join it, and a client that joined it
// does not host it: each such line fails with its number, what was asked and
// why, and changes nothing. Joining a match that no client runs (a dedicated
// server's) and running one whose host left are allowed.
TEST(WorldCommands, WorldsNoGameCanBeInAreRefused) {
  const ScriptRun run = RunSimScript(
      "sim match arena 24\nsim client dmitri unavailable\nsim join arena\n"
      "sim client alice unavailable\nsim run arena\nsim join arena\n"
      "sim client bruno unavailable\nsim run arena\nsim join arena\nsim run arena\n"
      "sim use alice\nsim leave\nsim use bruno\nsim leave\nsim run arena\nsim use alice\nsim run arena\n");
  EXPECT_EQ(run.failures, 4) << run.output;
  const std::string cannot = "cannot run match \"arena\": ";
  EXPECT_TRUE(
      run.Has("error: line 6: alice cannot join match \"arena\": alice runs it, and a match's host "
              "does not join it\n"))
      << run.output;
  EXPECT_TRUE(run.Has("error: line 8: bruno " + cannot +
                      "alice runs it already, and a match has one host (join it instead)\n"))
      << run.output;
  EXPECT_TRUE(
      run.Has("error: line 10: bruno " + cannot +
              "bruno has joined it, and a client that joined a match does not host it (leave it first)\n"))
      << run.output;
  EXPECT_TRUE(run.Has("error: line 17: alice " + cannot + "bruno runs it already")) << run.output;
}

}  // namespace
