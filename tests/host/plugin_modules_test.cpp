// Plug-in modules in the simulated host: exceptions caught at the host's
// dispatch, one module copy per client, and unloading that leaves nothing of
// the plug-in behind.

#include <fstream>
#include <set>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "common/ConsoleLines.h"
#include "common/SimulationTest.h"
#include "host/modules/ModuleLoader.h"
#include "pluginsdk.h"

namespace {

using console_lines::Contains;
using console_lines::StartingWith;

const PluginDescriptor* RecordOf(sim::Client& client, const std::string& pluginClass) {
  for (const auto& entry : *client.Game()->GetPluginManager().GetLoadedPlugins()) {
    if (std::string(entry->_details->pluginClass) == pluginClass) return entry->_details;
  }
  return nullptr;
}

bool SameCounts(const sim::HostRegistrations& a, const sim::HostRegistrations& b) {
  return a.hooks == b.hooks && a.cvarCallbacks == b.cvarCallbacks && a.boundInts == b.boundInts &&
         a.timers == b.timers && a.tasks == b.tasks && a.netListeners == b.netListeners;
}

// Whether the process has the module file loaded (false: it really is unloaded).
bool IsMapped(const std::filesystem::path& file) {
#if defined(_WIN32)
  return GetModuleHandleW(std::filesystem::absolute(file).make_preferred().c_str()) != nullptr;
#else
  // Linux: the process's memory mappings name their files.
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);)
    if (line.find(file.string()) != std::string::npos) return true;
  return false;
#endif
}

std::set<std::string> FilesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

class HostPlugins : public SimulationTest {
 protected:
  sim::Client& Probe(const std::string& name = "solo") {
    sim::Client& client = NewClient(name, {"HostProbe", "Glimmerfade"});
    EXPECT_TRUE(client.LoadPlugin("HostProbe"));
    return client;
  }
  // Sets "probe_action" and runs the game loop long enough for timers to fire.
  void Act(sim::Client& client, const std::string& action) {
    client.SetCvar("probe_action", action);
    Sim().AdvanceSeconds(1.0);
    client.RaiseVehicleInput();
  }
};

TEST_F(HostPlugins, EachThrownExceptionBecomesOneConsoleLine) {
  struct Case {
    const char* action;
    const char* line;
  };
  const Case cases[] = {
      {"throw", "Exception in plug-in HostProbe (cvar probe_action): cvar failure"},
      {"throw-nonstd", "Exception in plug-in HostProbe (cvar probe_action): unknown exception"},
      {"task-throw", "Exception in plug-in HostProbe (task): task failure"},
      {"timer-throw", "Exception in plug-in HostProbe (timer): timer failure"},
  };
  sim::Client& client = Probe();
  expectedEscapes = std::size(cases);
  size_t expected = 0;
  for (const Case& c : cases) {
    const size_t before = client.ConsoleSize();
    Act(client, c.action);
    EXPECT_EQ(client.ConsoleSince(before), std::vector<std::string>{c.line}) << c.action;
    EXPECT_EQ(client.EscapedExceptions(), ++expected);
  }
}

TEST_F(HostPlugins, AThrowingHookIsReportedOnEveryRunAndOthersStillRun) {
  sim::Client& client = Probe();
  expectedEscapes = 2;
  client.SetCvar("probe_action", "hook-throw");
  int othersCalled = 0;
  client.Game()->HookEventPost("Probe.Event", [&](std::string) { ++othersCalled; });
  const size_t before = client.ConsoleSize();
  client.RaiseEvent("Probe.Event");
  client.RaiseEvent("Probe.Event");
  const std::string line = "Exception in plug-in HostProbe (hook Probe.Event): hook failure";
  EXPECT_EQ(client.ConsoleSince(before), (std::vector<std::string>{line, line}));
  EXPECT_EQ(othersCalled, 2);
  EXPECT_EQ(client.EscapedExceptions(), 2u);
}

TEST_F(HostPlugins, OnLoadThatThrowsLeavesThePluginUnloadedAndClean) {
  sim::Client& client = NewClient("solo", {"HostProbe"});
  client.CvarManager()->registerCvar("probe_fail_onload", "1", "", true, false, 0, false, 0, false);
  EXPECT_FALSE(client.LoadPlugin("HostProbe"));
  expectedEscapes = 1;
  const std::vector<std::string> lines = client.ConsoleSince(0);
  EXPECT_TRUE(Contains(lines, "Exception in plug-in HostProbe (onLoad): load failure"));
  EXPECT_TRUE(Contains(lines, "Cannot load plug-in HostProbe: onLoad failed"));
  EXPECT_FALSE(client.IsPluginLoaded("HostProbe"));
  EXPECT_TRUE(client.Game()->GetPluginManager().GetLoadedPlugins()->empty());
}

TEST_F(HostPlugins, EveryClientLoadsItsOwnCopyOfTheModuleAndHasItsOwnReplicas) {
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);
  match.AddPlayer({"Ann", 0, false, 1, true});
  std::vector<sim::Client*> clients;
  for (const char* name : {"one", "two", "three"}) {
    sim::Client& client = NewClient(name);
    ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
    clients.push_back(&client);
  }
  clients[0]->RunMatch(match);
  clients[1]->JoinMatch(match);
  clients[2]->JoinMatch(match);
  std::set<const void*> records, pris;
  for (sim::Client* client : clients) {
    records.insert(RecordOf(*client, "Shroudweave"));
    pris.insert(reinterpret_cast<const void*>(client->PriAddress("Ann")));
  }
  EXPECT_EQ(records.size(), 3u) << "one exports record per module copy";
  EXPECT_EQ(pris.size(), 3u) << "one player entry per client";
  EXPECT_EQ(records.count(nullptr), 0u);
  EXPECT_EQ(pris.count(nullptr), 0u);

  clients[0]->RunCommand("shroudweave_enabled 1");
  Sim().RunPending();
  EXPECT_EQ(clients[0]->HookedEvents().size(), 1u);
  EXPECT_TRUE(clients[1]->HookedEvents().empty()) << "console variables are per client";
}

TEST_F(HostPlugins, UnloadLeavesNothingOfThePluginAndReloadWorksAgain) {
  sim::Client& client = NewClient("solo", {"HostProbe"});
  const sim::HostRegistrations baseline = client.Registrations();
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(client.LoadPlugin("HostProbe"));
    client.SetCvar("probe_action", "register-all");
    const sim::HostRegistrations loaded = client.Registrations();
    EXPECT_EQ(loaded.hooks, 1u);
    EXPECT_EQ(loaded.timers, 1u);
    EXPECT_EQ(loaded.tasks, 1u);
    EXPECT_EQ(loaded.cvarCallbacks, 2u);
    EXPECT_EQ(loaded.boundInts, 1u);
    EXPECT_EQ(loaded.netListeners, 1u);
    ASSERT_TRUE(client.UnloadPlugin("HostProbe"));
    EXPECT_TRUE(SameCounts(client.Registrations(), baseline));
    Sim().AdvanceSeconds(11.0);  // the dropped timer's time passes
    client.SetCvar("probe_saved", "changed");
    client.RaiseVehicleInput();
    EXPECT_TRUE(StartingWith(client.Console(), "probe ").size() == static_cast<size_t>(round + 1))
        << "only the \"probe onUnload\" lines, no callback of an unloaded instance";
  }
  EXPECT_EQ(client.EscapedExceptions(), 0u);
}

TEST_F(HostPlugins, GlimmerfadeUnloadAndReloadInARunningClient) {
  sim::Client& client = NewClient("solo");
  client.SetNetcodeAvailability(sim::NetcodeAvailability::Unavailable);
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);
  match.AddPlayer({"Ann", 0, false, 1, true});
  match.AddPlayer({"Bob", 1, false, 2, true});
  client.RunMatch(match);
  client.Control("Ann");
  const sim::HostRegistrations baseline = client.Registrations();
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
    client.RunCommand("shroudweave_enabled 1");
    client.RunCommand(R"(invis_json {"invisDeque":[[true,true,true],[true,true,true],[true,false,true],)"
                      R"([true,true,true],[true,true,true],[true,true,true],[true,true,true],)"
                      R"([true,true,true],[true,true,true]]})");
    Sim().Tick(10);
    EXPECT_EQ(client.CarHidden("Bob"), true);
    EXPECT_GT(client.Registrations().timers, 0u) << "the bridge is still looking for NetcodePlugin";
    EXPECT_TRUE(IsMapped(client.PluginsFolder() / sim::ModuleFileName("Glimmerfade")));
    ASSERT_TRUE(client.UnloadPlugin("Glimmerfade"));
    EXPECT_TRUE(SameCounts(client.Registrations(), baseline));
    EXPECT_FALSE(IsMapped(client.PluginsFolder() / sim::ModuleFileName("Glimmerfade")))
        << "the module really is unloaded";
    Sim().AdvanceSeconds(5.0);  // runs the loop with the plug-in gone
  }
  EXPECT_EQ(client.EscapedExceptions(), 0u);
}

// A user installs a new build of a module while the game has it loaded, twice.
// The loaded copy runs on from its old file; the next load takes the new one.
// On Windows, which neither replaces nor deletes a loaded module's file, the
// loaded file is moved aside (the second install replaces an unloaded file)
// and removed once it is unloaded.
// A restart whose data folder cannot be made (a file stands in its place)
// fails and says why on the client's console; once it can, the game starts again.
TEST_F(HostPlugins, RestartOverADataFolderThatCannotBeMadeFailsAndSaysWhy) {
  sim::Client& client = NewClient("solo", {});
  std::filesystem::remove_all(client.DataFolder());
  std::ofstream(client.DataFolder()) << "not a folder";
  EXPECT_FALSE(client.Restart(true));
  const std::string reason = "Cannot make the data folder " + client.DataFolder().string() + ": ";
  EXPECT_EQ(client.Console().back().rfind(reason, 0), 0u) << client.Console().back();
  std::filesystem::remove(client.DataFolder());
  EXPECT_TRUE(client.Restart(true));
  EXPECT_TRUE(std::filesystem::is_directory(client.PluginsFolder()));
}

TEST_F(HostPlugins, InstallingOverALoadedModuleKeepsItRunningUntilUnloaded) {
  sim::Client& client = NewClient("solo");
  client.SetNetcodeAvailability(sim::NetcodeAvailability::Unavailable);
  const std::string file = sim::ModuleFileName("Glimmerfade");
  ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
  ASSERT_TRUE(client.InstallPluginFile("Glimmerfade"));
  ASSERT_TRUE(client.InstallPluginFile("Glimmerfade"));
#if defined(_WIN32)
  const std::set<std::string> whileLoaded = {file, file + ".replaced-1"};
#else
  const std::set<std::string> whileLoaded = {file};
#endif
  EXPECT_EQ(FilesIn(client.PluginsFolder()), whileLoaded);

  client.RunCommand("shroudweave_enabled 1");
  Sim().RunPending();
  EXPECT_EQ(client.HookedEvents(), std::vector<std::string>{kVehicleInputEvent})
      << "the loaded copy still runs";
  ASSERT_TRUE(client.UnloadPlugin("Glimmerfade"));
  EXPECT_EQ(FilesIn(client.PluginsFolder()), std::set<std::string>{file})
      << "nothing of the old file is left";
  EXPECT_FALSE(IsMapped(client.PluginsFolder() / file));

  ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
  EXPECT_TRUE(IsMapped(client.PluginsFolder() / file));
  EXPECT_EQ(client.EscapedExceptions(), 0u);
}

TEST_F(HostPlugins, UnloadAskedForInsideACallbackWaitsUntilItReturns) {
  for (const char* action : {"unload-in-hook", "unload-self"}) {
    SCOPED_TRACE(action);
    sim::Client& client = Probe(action);
    client.SetCvar("probe_action", action);
    client.RaiseEvent("Probe.Event");
    EXPECT_FALSE(client.IsPluginLoaded("HostProbe"));
    std::vector<std::string> lines = client.ConsoleSince(0);
    if (std::string(action) == "unload-in-hook") {
      // The hook finishes its work before the unload happens.
      EXPECT_EQ(lines.back(), "Unloaded plug-in HostProbe");
      ASSERT_GE(lines.size(), 3u);
      EXPECT_EQ(lines[lines.size() - 3], "hook still running");
      EXPECT_EQ(lines[lines.size() - 2], "probe onUnload");
    } else {
      EXPECT_EQ(lines.back(), "Unloaded plug-in HostProbe");
    }
    EXPECT_EQ(client.Registrations().hooks, 0u);
    EXPECT_EQ(client.EscapedExceptions(), 0u);
  }
}

}  // namespace
