// Whole lives of a simulated game, one after another, each with the plug-in
// unloaded while things of it are pending: a detection pass, a queued send, an
// installed hook, a burst of messages in flight. Every game must give back all
// that it took through operator new, the loaded modules' allocations included.
#include "fault_heap_counter.h"
#include "fault_support.h"

namespace {

using namespace fault_test;

// One game: a host, a joiner and a client that cannot get NetcodePlugin, all
// with Glimmerfade unloaded while work is pending, then loaded again and used.
// Returns the number of exceptions that reached the host.
size_t LiveOneGame(const fs::path& folder) {
  sim::Simulation simulation(folder);
  sim::Match& match = simulation.CreateMatch("arena", 24);
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
  for (unsigned n = 0; n < 20; ++n) host.SetCvar("NETCODE_Message_Out", "[Shroudweave]" + NumberedMessage(n));
  host.SetCvar("invis_json", NumberedJson(7));
  simulation.AdvanceSeconds(simulation.NetworkDelay() * 0.5);
  for (sim::Client* client : clients) client->UnloadPlugin("Glimmerfade");
  simulation.AdvanceSeconds(5.0);
  for (sim::Client* client : clients) client->LoadPlugin("Glimmerfade");
  host.SetCvar("invis_json", NumberedJson(8));
  simulation.AdvanceSeconds(5.0);

  size_t escaped = 0;
  for (sim::Client* client : clients) escaped += client->EscapedExceptions();
  return escaped;
}

TEST(FaultLeak, GamesWithUnloadFaultsGiveBackAllTheyTook) {
  OwnScratchFolder scratch;
  size_t escaped = 0;
  auto heapGrowthOver = [&](int games) {
    const long long before = heap_counter::LiveBytes();
    for (int game = 0; game < games; ++game) {
      escaped += LiveOneGame(scratch.path);
      std::error_code ignored;
      fs::remove_all(scratch.path, ignored);
    }
    return heap_counter::LiveBytes() - before;
  };
  heapGrowthOver(3);  // one-time allocations settle
  constexpr int kGames = 10;
  EXPECT_EQ(heapGrowthOver(kGames), 0) << "bytes kept over " << kGames << " games";
  EXPECT_EQ(escaped, 0u);
}

}  // namespace
