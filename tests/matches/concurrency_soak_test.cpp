// A match of three clients run on the threads of a game, all at once: this
// test's thread is the game thread and ticks as fast as it can, with passes on
// every client; the render thread draws every client's settings page on its
// own; a user clicks flags and "Enable plugin" on the pages; another thread
// writes values into alice's "invis_json" (tables, wrong shapes, text that is
// not JSON), whose tables travel to the clients that joined. Under
// ThreadSanitizer it proves that the plug-in and the host share nothing
// unsafely. When the threads have stopped and the match has settled, every
// screen shows what the last table says, as the model of the rules has it.
// Now and then the game thread unloads and loads Glimmerfade again on bruno,
// while the render thread may be drawing its page.
//
// GLIMMERFADE_SOAK_SECONDS sets how long the threads run (default 2).
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <thread>

#include "common/InvisJsonSamples.h"
#include "common/SimulationTest.h"
#include "model/VisibilityRules.h"
#include "plugin/Shroudweave.h"
#include "visibility/VisibilityTable.h"

namespace {

const char* const kPage = "Glimmerfade";
const char* const kFlags[] = {"Visible to Teammates", "Visible to Opponents", "Visible to Spectators"};
const std::vector<model::Owner> kPlayers = {
    {"Alice", 0, 1}, {"Dmitri", 0, 2}, {"Bruno", 1, 3}, {"Carmen", 1, 4}};

double SoakSeconds() {
  const char* text = std::getenv("GLIMMERFADE_SOAK_SECONDS");
  const double seconds = text ? std::atof(text) : 0;
  return seconds > 0 ? seconds : 2;
}

std::string RandomTable(std::mt19937& rng) {
  model::Table table = model::DefaultTable();
  for (model::Flags& flags : table)
    for (size_t flag = 0; flag < flags.size(); ++flag) flags[flag] = rng() % 4 != 0;
  return model::EncodeTable(table);
}

class ConcurrencySoak : public SimulationTest {
 protected:
  sim::Match& match = Sim().CreateMatch("final", kEnforcedOnlinePlaylist);
  sim::Client& alice = PluginClient("alice", sim::NetcodeAvailability::Loaded);
  sim::Client& bruno = PluginClient("bruno", sim::NetcodeAvailability::Loaded);
  sim::Client& dmitri = PluginClient("dmitri", sim::NetcodeAvailability::Loaded);
  const std::vector<sim::Client*> clients = {&alice, &bruno, &dmitri};
  // The player each client controls, an entry of kPlayers.
  const std::map<const sim::Client*, const model::Owner*> controls = {
      {&alice, &kPlayers[0]}, {&bruno, &kPlayers[2]}, {&dmitri, &kPlayers[1]}};

  std::atomic<bool> stop{false};
  std::atomic<size_t> clicks{0}, missedClicks{0}, written{0}, received{0};

  void SetUp() override {
    for (const model::Owner& player : kPlayers)
      match.AddPlayer({player.name, player.team, false, player.shortcut, true});
    alice.RunMatch(match);
    bruno.JoinMatch(match);
    dmitri.JoinMatch(match);
    for (sim::Client* client : clients) client->Control(controls.at(client)->name);
    for (sim::Client* client : clients) ASSERT_TRUE(client->SetCvar(kEnabledCvar, "1"));
    // Runs on the game thread, where NetcodePlugin delivers.
    for (sim::Client* client : {&bruno, &dmitri})
      client->CvarManager()->getCvar(kInvisJsonCvar).addOnValueChanged([this](std::string, CVarWrapper) {
        ++received;
      });
  }

  // Opens a player's node on alice's page, then clicks one of its flags; now
  // and then "Enable plugin" on any page instead.
  void ClickRandomly() {
    std::mt19937 rng(7);
    while (!stop) {
      bool clicked = false;
      if (rng() % 8 == 0) {
        clicked = clients[rng() % clients.size()]->ClickWidget(kPage, {"Enable plugin"});
      } else {
        const std::string& player = kPlayers[rng() % kPlayers.size()].name;
        if (alice.SettingsNodeOpen(kPage, {player}) == false) alice.ClickWidget(kPage, {player});
        clicked = alice.ClickWidget(kPage, {player, kFlags[rng() % 3]});
      }
      ++(clicked ? clicks : missedClicks);
    }
  }

  // Through the SDK's wrapper, as another plug-in on its own thread would.
  void WriteRandomly() {
    std::mt19937 rng(11);
    CVarWrapper invisJson = alice.CvarManager()->getCvar(kInvisJsonCvar);
    const std::vector<std::string> notJson = {"", "{", "not json", "{\"invisDeque\":[[true,"};
    while (!stop) {
      const unsigned kind = rng() % 10;
      if (kind < 6)
        invisJson.setValue(RandomTable(rng));
      else if (kind < 7)
        invisJson.setValue(invis_json_samples::kWrongShapes[rng() % invis_json_samples::kWrongShapes.size()]);
      else if (kind < 8)  // one the memory of reported texts has not met
        invisJson.setValue("{\"invisDeque\":[[true," + std::to_string(rng()) + "]]}");
      else
        invisJson.setValue(notJson[rng() % notJson.size()]);
      ++written;
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  }

  // What the model says each screen shows of the match under the client's table.
  void ExpectScreensAsTheModelSays() {
    for (sim::Client* client : clients) {
      const model::Owner& own = *controls.at(client);
      const model::Viewer viewer{own.team, true, own.shortcut, true};
      const model::PassResult pass = model::Pass(model::DecodeTable(*client->CvarValue(kInvisJsonCvar)),
                                                 client->IsOnline(), viewer, kPlayers);
      for (const auto& [name, state] : pass.cars) {
        if (state == model::CarState::Untouched) continue;
        EXPECT_EQ(client->CarHidden(name), state == model::CarState::Hidden)
            << client->Name() << ": " << name;
      }
    }
  }
};

TEST_F(ConcurrencySoak, ThreeClientsOnTheGameAndRenderThreadsAndAWriter) {
  Sim().SetRenderFreeRunning(true, 0);
  std::thread user([this] { ClickRandomly(); });
  std::thread writer([this] { WriteRandomly(); });
  size_t ticks = 0, reloads = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(SoakSeconds());
  while (std::chrono::steady_clock::now() < end) {
    Sim().Tick();
    if (++ticks % 500 == 0) {
      ASSERT_TRUE(bruno.UnloadPlugin("Glimmerfade") && bruno.LoadPlugin("Glimmerfade"));
      ++reloads;
    }
  }
  stop = true;
  user.join();
  writer.join();
  Sim().SetRenderFreeRunning(false);
  const uint64_t frames = Sim().FreeRunningFrames();

  // The last table: typed on alice once every client enforces again.
  for (sim::Client* client : clients) ASSERT_TRUE(client->SetCvar(kEnabledCvar, "1"));
  std::mt19937 rng(13);
  const std::string last = RandomTable(rng);
  ASSERT_TRUE(alice.SetCvar(kInvisJsonCvar, last));
  Sim().AdvanceSeconds(1.0);
  for (sim::Client* client : clients) EXPECT_EQ(client->CvarValue(kInvisJsonCvar), last) << client->Name();
  ExpectScreensAsTheModelSays();

  std::cout << "soak: " << SoakSeconds() << " s, " << ticks << " ticks, " << frames
            << " free-running frames (" << frames * clients.size() << " pages drawn), " << clicks
            << " clicks (" << missedClicks << " missed), " << written << " values written, " << received
            << " tables received, " << reloads << " reloads on bruno\n";
  EXPECT_GT(ticks, 0u);
  EXPECT_GT(frames, 0u);
  EXPECT_GT(clicks, 0u);
  EXPECT_GT(received, 0u);
}

}  // namespace
