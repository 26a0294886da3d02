// Whole lives of a simulated game, one after another, each with the plug-in
// unloaded while things of it are pending: a detection pass, a queued send, an
// installed hook, a burst of messages in flight. Every game must give back all
// that it took through operator new, the loaded modules' allocations included.
//
// On Windows each module carries its own copy of the C++ runtime, and every
// load of a module leaves that copy's one-time set-up behind when it is
// unloaded: its emergency exception pool, and once used, its exception state
// and what it sets up to convert file names. A probe module that does all of
// these measures the bytes one load keeps; games may keep that much per load
// and no more. Leaks smaller than that show only on Linux, where the count is
// exact.
#include "common/HeapCounter.h"
#include "match_test.h"

namespace {

using namespace match_test;

struct GameResult {
  size_t escaped = 0;  // exceptions that reached the host
  size_t loads = 0;    // module loads
};

// One game: a host, a joiner and a client that cannot get NetcodePlugin, all
// with Glimmerfade unloaded while work is pending, then loaded again and used.
GameResult LiveOneGame(const fs::path& folder) {
  sim::Simulation simulation(folder);
  sim::Match& match = simulation.CreateMatch("arena", kEnforcedOnlinePlaylist);
  match.AddPlayer({"Ann", 0, false, 1, true});
  match.AddPlayer({"Ben", 1, false, 2, true});
  std::vector<sim::Client*> clients;
  for (const char* name : {"host", "joiner", "solo"}) {
    sim::Client& client = simulation.AddClient(name);
    client.SetNetcodeAvailability(clients.size() < 2 ? sim::NetcodeAvailability::Loaded
                                                     : sim::NetcodeAvailability::Unavailable);
    client.InstallPluginFile("Glimmerfade");
    client.LoadPlugin("Glimmerfade");
    clients.push_back(&client);
  }
  sim::Client& host = *clients[0];
  host.RunMatch(match);
  host.Control("Ann");
  clients[1]->JoinMatch(match);

  host.RunCommand("shroudweave_enabled 1");
  for (unsigned n = 0; n < 20; ++n)
    host.SetCvar(kNetcodeMessageOutCvar, "[Shroudweave]" + NumberedMessage(n));
  host.SetCvar(kInvisJsonCvar, NumberedJson(7));
  simulation.AdvanceSeconds(simulation.NetworkDelay() * 0.5);
  for (sim::Client* client : clients) client->UnloadPlugin("Glimmerfade");
  simulation.AdvanceSeconds(5.0);
  for (sim::Client* client : clients) client->LoadPlugin("Glimmerfade");
  host.SetCvar(kInvisJsonCvar, NumberedJson(8));
  simulation.AdvanceSeconds(5.0);

  GameResult result;
  for (sim::Client* client : clients) {
    result.escaped += client->EscapedExceptions();
    for (const std::string& line : client->Console()) result.loads += line.rfind("Loaded plug-in ", 0) == 0;
  }
  return result;
}

#if defined(_WIN32)
// Bytes one load of a module keeps once unloaded: a probe module loaded, made
// to throw and to name a file, and unloaded.
long long RuntimeBytesKeptPerLoad(const fs::path& folder) {
  auto probeOnce = [&] {
    {
      sim::Simulation simulation(folder);
      sim::Client& client = simulation.AddClient("probe");
      client.InstallPluginFile("HostProbe");
      client.LoadPlugin("HostProbe");
      client.SetCvar("probe_action", "throw");
      client.SetCvar("probe_action", "name-file");
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  };
  probeOnce();  // the host's own one-time allocations
  const long long before = heap_counter::LiveBytes();
  probeOnce();
  return heap_counter::LiveBytes() - before;
}
#endif

TEST(FaultLeak, GamesWithUnloadFaultsGiveBackAllTheyTook) {
  ScratchFolder scratch("glimmerfade-fault-");
  size_t escaped = 0;
  size_t loads = 0;
  auto heapGrowthOver = [&](int games) {
    const long long before = heap_counter::LiveBytes();
    for (int game = 0; game < games; ++game) {
      const GameResult result = LiveOneGame(scratch.path);
      escaped += result.escaped;
      loads += result.loads;
      std::error_code ignored;
      fs::remove_all(scratch.path, ignored);
    }
    return heap_counter::LiveBytes() - before;
  };
  heapGrowthOver(3);  // one-time allocations settle
  loads = 0;
  constexpr int kGames = 10;
  const long long growth = heapGrowthOver(kGames);
#if defined(_WIN32)
  const long long perLoad = RuntimeBytesKeptPerLoad(scratch.path);
  ASSERT_GT(perLoad, 0) << "a module's runtime keeps its exception pool";
  EXPECT_LE(growth, static_cast<long long>(loads) * perLoad)
      << "bytes kept over " << kGames << " games with " << loads << " module loads";
#else
  EXPECT_EQ(growth, 0) << "bytes kept over " << kGames << " games";
#endif
  EXPECT_EQ(loads, kGames * 8u) << "Glimmerfade twice and NetcodePlugin once on two clients, per game";
  EXPECT_EQ(escaped, 0u);
}

}  // namespace
