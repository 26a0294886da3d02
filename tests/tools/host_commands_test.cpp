// Host conditions set up through the simulator command: NetcodePlugin modules
// the bridge must not take or cannot use, a failing file query, restarts over a
// kept or fresh data folder, what the host holds before and after an unload,
// and the simulated processor clock.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <sstream>

#include "common/SimScript.h"
#include "common/Tables.h"

namespace {

using sim_script::RunSimScript;
using sim_script::ScriptRun;

const std::string kGuard =
    "NetcodeManager function (NetcodeManager::NetcodeLoadLoop) failed. NetcodePlugin is not loaded.";
const std::string kMissing = "NetcodePlugin is loaded, but could not find cvar ";

// The output lines of one client, without its "[NAME] " prefix.
std::vector<std::string> LinesOf(const ScriptRun& run, const std::string& client) {
  std::vector<std::string> lines;
  std::istringstream text(run.output);
  const std::string prefix = "[" + client + "] ";
  for (std::string line; std::getline(text, line);) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
  }
  return lines;
}

size_t CountMatching(const std::vector<std::string>& lines, const std::string& pattern) {
  const std::regex wanted(pattern);
  size_t count = 0;
  for (const std::string& line : lines) count += std::regex_match(line, wanted);
  return count;
}

// Each client gets a NetcodePlugin variant (and a log level before the plug-in
// loads); two seconds later, what the bridge said about it.
TEST(HostCommands, BridgeLinesForEachNetcodePluginVariant) {
  struct Case {
    const char* variant;
    const char* level;
    size_t guards;        // guard lines: one per detection pass
    const char* missing;  // variable reported missing, "" for none
    bool lineKindA;       // reported on an A line rather than a plain one
  };
  const Case cases[] = {
      {"wrong-case", "1", 2, "", false},
      {"longer-name", "1", 2, "", false},
      {"no-level", "", 1, "NETCODE_Log_Level", false},
      {"no-in", "1", 1, "NETCODE_Message_In", true},
      {"no-out", "3", 1, "NETCODE_Message_Out", true},
      {"no-in", "0", 1, "", false},
      {"standard", "1", 1, "", false},
  };
  std::string script;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string name = "c" + std::to_string(i);
    script += "sim client " + name + " loaded netcode=" + cases[i].variant + "\n";
    if (*cases[i].level) script += std::string("NETCODE_Log_Level ") + cases[i].level + "\n";
    script += "plugin load Glimmerfade\n";
  }
  const ScriptRun run = RunSimScript(script + "sim wait 2.1\n");
  ASSERT_EQ(run.failures, 0) << run.output;
  EXPECT_FALSE(run.Has("Exception in")) << run.output;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(std::string(c.variant) + " level " + c.level);
    const std::vector<std::string> lines = LinesOf(run, "c" + std::to_string(i));
    EXPECT_EQ(CountMatching(lines, std::regex_replace(kGuard, std::regex("[().]"), "\\$&")), c.guards);
    const std::string variable = std::string(kMissing) + c.missing;
    EXPECT_EQ(CountMatching(lines, "(\\(A: -?\\d+\\)   )?" + kMissing + ".*"), *c.missing ? 1u : 0u);
    if (*c.missing) {
      const std::string pattern = (c.lineKindA ? "\\(A: -?\\d+\\)   " : "") + variable;
      EXPECT_EQ(CountMatching(lines, pattern), 1u);
    }
    const bool ready = std::string(c.variant) == "standard";
    EXPECT_EQ(CountMatching(lines, ".*Ready to go\\."), ready ? 1u : 0u);
  }
}

// A query of the NetcodePlugin file that fails (a symbolic link to itself)
// counts as no file: the bridge installs rather than loads, nothing escapes,
// and once the install replaces the link the bridge gets ready.
TEST(HostCommands, FailingFileQueryCountsAsNoFile) {
  const ScriptRun run = RunSimScript(
      "sim client plain present\nplugin load Glimmerfade\n"
      "sim client looped present\nsim netcode-file loop\nplugin load Glimmerfade\n"
      "sim client healed installable\nsim netcode-file loop\nplugin load Glimmerfade\nsim wait 4.1\n");
#if defined(_WIN32)
  // Windows gives symbolic links only to privileged users and mingw's library
  // makes none: the simulator says it cannot set the loop up.
  EXPECT_TRUE(run.Has("error: line 4: cannot make ")) << run.output;
  return;
#endif
  ASSERT_EQ(run.failures, 0) << run.output;
  EXPECT_FALSE(run.Has("Exception in")) << run.output;
  EXPECT_TRUE(run.Has("[plain] Loaded plug-in NetcodePlugin")) << run.output;
  EXPECT_FALSE(run.Has("[plain] cpm_install")) << run.output;
  EXPECT_TRUE(run.Has("[looped] cpm_install 166: failed, NetcodePlugin is not available to this client"))
      << run.output;
  EXPECT_FALSE(run.Has("[looped] Loaded plug-in NetcodePlugin")) << run.output;
  EXPECT_TRUE(run.Has("[healed] cpm_install 166: installing NetcodePlugin\n")) << run.output;
  EXPECT_TRUE(run.Has("[healed] Loaded plug-in NetcodePlugin")) << run.output;
  EXPECT_EQ(CountMatching(LinesOf(run, "healed"), ".*Ready to go\\."), 1u) << run.output;
}

// Saved settings come back at the next load over a kept data folder, and not
// over a fresh one, where the load hook's own state shows.
TEST(HostCommands, RestartKeepsOrForgetsTheSavedSettings) {
  const ScriptRun run = RunSimScript(
      "sim client alice unavailable\nplugin load Glimmerfade\nshroudweave_enabled 1\n"
      "invis_json " +
      tables::Json(tables::Cleared({{2, 1}})) +
      "\n"
      "sim restart kept\nsim echo kept\nsim state\nplugin load Glimmerfade\nsim tick\nshroudweave_enabled\n"
      "invis_json\nsim state\nsim restart fresh\nsim echo fresh\nplugin load "
      "Glimmerfade\nshroudweave_enabled\n"
      "invis_json\nsim state\n");
  ASSERT_EQ(run.failures, 0) << run.output;
  const std::string hook = "    hook Function TAGame.Car_TA.SetVehicleInput\n";
  const std::string kept = run.Section("kept");
  EXPECT_NE(kept.find("  no plug-in loaded, nothing held\n"), std::string::npos) << kept;
  EXPECT_NE(kept.find("shroudweave_enabled = \"1\""), std::string::npos) << kept;
  EXPECT_NE(kept.find("invis_json = \"" + tables::Json(tables::Cleared({{2, 1}})) + "\""), std::string::npos)
      << kept;
  EXPECT_NE(kept.find(hook), std::string::npos) << kept;
  const std::string fresh = run.Section("fresh");
  EXPECT_NE(fresh.find("shroudweave_enabled = \"0\""), std::string::npos) << fresh;
  EXPECT_NE(fresh.find("invis_json = \"\""), std::string::npos) << fresh;
  EXPECT_EQ(fresh.find(hook), std::string::npos) << fresh;
  EXPECT_TRUE(run.Has("restarted alice with its kept data folder\n")) << run.output;
  EXPECT_TRUE(run.Has("restarted alice with a fresh data folder\n")) << run.output;
}

// Everything the host holds for Glimmerfade (a hook, its timer, callbacks, a
// bound integer, queued send tasks: the first pass in the match queued one,
// the table typed after it another) goes with its unload; NetcodePlugin keeps
// its own.
TEST(HostCommands, NothingIsHeldForAnUnloadedPlugin) {
  const ScriptRun run = RunSimScript(
      "sim match m 6\nsim player add m Alice shortcut=1\nsim player add m Bruno shortcut=2\n"
      "sim client alice\nplugin load Glimmerfade\n"
      "sim run m\nsim control Alice\nshroudweave_enabled 1\nsim tick\ninvis_json " +
      tables::Json(tables::Cleared({{1, 2}})) +
      "\n"
      "sim echo loaded\nsim state\nplugin unload Glimmerfade\nsim echo unloaded\nsim state\n"
      "plugin unload NetcodePlugin\nsim echo nothing loaded\nsim state\nsim tick 5\n");
  ASSERT_EQ(run.failures, 0) << run.output;
  EXPECT_NE(
      run.Section("loaded").find(
          "  Glimmerfade:\n" + std::string("    hook Function TAGame.Car_TA.SetVehicleInput\n") +
          "    timer due at 1.000 s\n    game-thread tasks 2\n    on-change callback of NETCODE_Message_In\n"
          "    on-change callback of invis_json\n"
          "    on-change callback of shroudweave_enabled\n"
          "    integer bound to NETCODE_Log_Level\n"),
      std::string::npos)
      << run.output;
  const std::string netcodeOnly =
      ":\n  NetcodePlugin:\n    on-change callback of NETCODE_Message_Out\n    network listener on netcode\n";
  const std::string unloaded = run.Section("unloaded");
  EXPECT_NE(unloaded.find(netcodeOnly), std::string::npos) << unloaded;
  EXPECT_EQ(unloaded.find("Glimmerfade:"), std::string::npos) << unloaded;
  EXPECT_EQ(unloaded.find("no longer loaded"), std::string::npos) << unloaded;
  EXPECT_NE(run.Section("nothing loaded").find("  no plug-in loaded, nothing held\n"), std::string::npos)
      << run.output;
  EXPECT_FALSE(run.Has("Exception in")) << run.output;
}

// The plug-in's clock() reads the simulated processor time: the detection pass
// 2 s after the load (the first had NetcodePlugin loaded) stamps its A line with
// 2 s of it. The host rewrote the module's import of clock() to get there.
TEST(HostCommands, SimulatedClockStampsTheBridgesLines) {
  const ScriptRun run =
      RunSimScript("sim clock simulated\nsim client alice present\nplugin load Glimmerfade\nsim wait 2\n");
  EXPECT_EQ(run.failures, 0) << run.output;
  EXPECT_TRUE(run.Has("[alice] (A: " + std::to_string(2 * CLOCKS_PER_SEC) +
                      ")   NetcodeManager has successfully detected"))
      << run.output;
}

}  // namespace
