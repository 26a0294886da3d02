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
// The soak heals every client with a last table before it looks, so it sees
// races, not orders. The tests after it race two setters of one value, round
// after round, then settle the match and compare end states that no order of
// the threads may leave wrong, without healing anything first.
//
// GLIMMERFADE_SOAK_SECONDS sets how long the soak's threads run (default 2),
// GLIMMERFADE_ORDER_ROUNDS how many rounds each race runs (default 100).
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <thread>

#include "common/ConsoleLines.h"
#include "common/InvisJsonSamples.h"
#include "common/SimulationTest.h"
#include "model/VisibilityRules.h"
#include "netcode/NetcodeManager.h"
#include "plugin/Shroudweave.h"
#include "visibility/VisibilityTable.h"
#include "visibility/WrongShapeReports.h"

using namespace glimmerfade;

namespace {

const char* const kPage = "Glimmerfade";
const char* const kFlags[] = {"Visible to Teammates", "Visible to Opponents", "Visible to Spectators"};
const std::vector<model::Owner> kPlayers = {
    {"Alice", 0, 1}, {"Dmitri", 0, 2}, {"Bruno", 1, 3}, {"Carmen", 1, 4}};

// The writer's pause between values. Windows sleeps whole milliseconds, and
// a shorter sleep returns at once, which would flood the game thread with
// sends: there the pause is one.
#if defined(_WIN32)
constexpr std::chrono::microseconds kWritePause{1000};
#else
constexpr std::chrono::microseconds kWritePause{500};
#endif

double SoakSeconds() {
  const char* text = std::getenv("GLIMMERFADE_SOAK_SECONDS");
  const double seconds = text ? std::atof(text) : 0;
  return seconds > 0 ? seconds : 2;
}

size_t OrderRounds() {
  const char* text = std::getenv("GLIMMERFADE_ORDER_ROUNDS");
  const long rounds = text ? std::atol(text) : 0;
  return rounds > 0 ? static_cast<size_t>(rounds) : 100;
}

// Runs each setter on a thread of its own and the game thread's on this one,
// all released at once, each after its own delay; returns when all are done.
using Setter = std::pair<std::function<void()>, std::chrono::nanoseconds>;
void Race(const std::vector<Setter>& others, const Setter& own) {
  std::atomic<bool> go{false};
  const auto run = [&go](const Setter& setter) {
    while (!go) std::this_thread::yield();
    const auto until = std::chrono::steady_clock::now() + setter.second;
    while (std::chrono::steady_clock::now() < until) {
    }
    setter.first();
  };
  std::vector<std::thread> threads;
  for (const Setter& setter : others) threads.emplace_back(run, std::cref(setter));
  go = true;
  run(own);
  for (std::thread& thread : threads) thread.join();
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
      std::this_thread::sleep_for(kWritePause);
    }
  }

  // A click on alice's page that keeps its time up to date: the other setters
  // of a race start at random late in that time, where the click's callback
  // runs (in its last frame, some 75 to 95 % of the way).
  void Click(const std::vector<std::string>& widget) {
    const auto start = std::chrono::steady_clock::now();
    alice.ClickWidget(kPage, widget);
    const std::chrono::nanoseconds took = std::chrono::steady_clock::now() - start;
    clickTime = clickTime.count() ? (3 * clickTime + took) / 4 : took;
  }
  std::chrono::nanoseconds LateInTheClick(std::mt19937& rng) const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        clickTime * std::uniform_real_distribution<double>(0.7, 1.0)(rng));
  }
  std::chrono::nanoseconds clickTime{};

  // The match with its hooks set and its tables carried at once, alice's page
  // listing the players.
  void PrepareRounds() {
    Sim().SetNetworkDelay(0);
    Sim().Tick(2);
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

// The soak runs for its time and at least until every thread has done some of
// its work, however slowly the machine runs it; nothing is asserted while the
// other threads run, so a failure ends the test, never the program.
TEST_F(ConcurrencySoak, ThreeClientsOnTheGameAndRenderThreadsAndAWriter) {
  Sim().SetRenderFreeRunning(true, 0);
  std::thread user([this] { ClickRandomly(); });
  std::thread writer([this] { WriteRandomly(); });
  size_t ticks = 0, reloads = 0, failedReloads = 0;
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::duration<double>(SoakSeconds());
  const auto everyThreadWorked = [&] {
    return clicks > 0 && written > 0 && received > 0 && Sim().FreeRunningFrames() > 0;
  };
  // Ends a soak whose threads do not get their share done in a minute more.
  const auto giveUp = end + std::chrono::seconds(60);
  while ((std::chrono::steady_clock::now() < end || !everyThreadWorked()) &&
         std::chrono::steady_clock::now() < giveUp) {
    Sim().Tick();
    if (++ticks % 100 == 0) {
      failedReloads += !(bruno.UnloadPlugin("Glimmerfade") && bruno.LoadPlugin("Glimmerfade"));
      ++reloads;
    }
  }
  const std::chrono::duration<double> ran = std::chrono::steady_clock::now() - start;
  stop = true;
  user.join();
  writer.join();
  Sim().SetRenderFreeRunning(false);
  const uint64_t frames = Sim().FreeRunningFrames();
  EXPECT_EQ(failedReloads, 0u);
  EXPECT_TRUE(everyThreadWorked()) << "a thread did not get its share done in " << ran.count() << " s";

  // The last table: typed on alice once every client enforces again.
  for (sim::Client* client : clients) ASSERT_TRUE(client->SetCvar(kEnabledCvar, "1"));
  std::mt19937 rng(13);
  const std::string last = RandomTable(rng);
  ASSERT_TRUE(alice.SetCvar(kInvisJsonCvar, last));
  Sim().AdvanceSeconds(1.0);
  for (sim::Client* client : clients) EXPECT_EQ(client->CvarValue(kInvisJsonCvar), last) << client->Name();
  ExpectScreensAsTheModelSays();

  std::cout << "soak: " << static_cast<long>(ran.count() + 0.5) << " s, " << ticks << " ticks, " << frames
            << " free-running frames (" << frames * clients.size() << " pages drawn), " << clicks
            << " clicks (" << missedClicks << " missed), " << written << " values written, " << received
            << " tables received, " << reloads << " reloads on bruno\n";
}

// A click on alice's page (the render thread, asked by the user's thread)
// races a table stored on the game thread and one stored by a third thread.
// Once settled, every joined client holds alice's table, and alice's last
// send names it.
TEST_F(ConcurrencySoak, TablesSetOnThreeThreadsEndTheSameOnEveryClient) {
  PrepareRounds();
  ASSERT_TRUE(alice.ClickWidget(kPage, {"Bruno"}));
  const std::vector<std::string> flag = {"Bruno", kFlags[1]};
  for (int twice = 0; twice < 2; ++twice) Click(flag);
  CVarWrapper invisJson = alice.CvarManager()->getCvar(kInvisJsonCvar);
  std::mt19937 rng(17);
  size_t wrong = 0;
  for (size_t round = 0; round < OrderRounds(); ++round) {
    const size_t mark = alice.ConsoleSize();
    const std::string stored = RandomTable(rng), another = RandomTable(rng);
    Race({{[&] { Click(flag); }, {}}, {[&] { invisJson.setValue(another); }, LateInTheClick(rng)}},
         {[&] { alice.SetCvar(kInvisJsonCvar, stored); }, LateInTheClick(rng)});
    Sim().Tick(2);
    const model::Decoded host = model::DecodeTable(*alice.CvarValue(kInvisJsonCvar));
    const auto sends = console_lines::StartingWith(alice.ConsoleSince(mark), "Sending netcode message ");
    bool same =
        !sends.empty() && sends.back() == "Sending netcode message " + model::ReplicationMessage(host.rows);
    for (sim::Client* client : {&bruno, &dmitri})
      same = same && model::DecodeTable(*client->CvarValue(kInvisJsonCvar)).rows == host.rows;
    wrong += !same;
  }
  std::cout << "tables: " << OrderRounds() << " rounds, " << wrong << " ended with a client or the last send "
            << "off alice's table\n";
  EXPECT_EQ(wrong, 0u);
}

// A click on "Enable plugin" races a store of 0 or 1 on the game thread and
// one on a third thread: once the game thread has run what they queued, the
// hook is there exactly when the switch is on.
TEST_F(ConcurrencySoak, EnableClickAgainstAStoreEndsWithTheHookAsTheSwitch) {
  PrepareRounds();
  for (int twice = 0; twice < 2; ++twice) Click({"Enable plugin"});
  CVarWrapper enabled = alice.CvarManager()->getCvar(kEnabledCvar);
  std::mt19937 rng(19);
  size_t wrong = 0;
  for (size_t round = 0; round < OrderRounds(); ++round) {
    const int stored = static_cast<int>(rng() % 2), another = static_cast<int>(rng() % 2);
    Race({{[&] { Click({"Enable plugin"}); }, {}}, {[&] { enabled.setValue(another); }, LateInTheClick(rng)}},
         {[&] { alice.SetCvar(kEnabledCvar, std::to_string(stored)); }, LateInTheClick(rng)});
    Sim().RunPending();
    const bool hooked = console_lines::Contains(alice.HookedEvents(), kVehicleInputEvent);
    wrong += hooked != (alice.CvarValue(kEnabledCvar) == "1");
  }
  std::cout << "switch: " << OrderRounds() << " rounds, " << wrong << " ended with the hook off the switch\n";
  EXPECT_EQ(wrong, 0u);
}

// "NETCODE_Log_Level" set on another thread while the bridge logs on the game
// thread (under ThreadSanitizer: no race); then, the level set the same way,
// the bridge writes its C lines from level 3 up, as before.
TEST_F(ConcurrencySoak, LogLevelSetOffTheGameThreadWhileTheBridgeLogs) {
  const auto setLevel = [this](int level) {
    alice.CvarManager()->getCvar(kNetcodeLogLevelCvar).setValue(level);
  };
  std::atomic<bool> done{false};
  std::thread setter([&] {
    for (int i = 0; i < 2000; ++i) setLevel(i % 4);
    done = true;
  });
  while (!done) alice.SetCvar(kNetcodeMessageInCvar, "[Other][0]x");
  setter.join();
  for (int level : {0, 1, 2, 3, 4}) {
    std::thread(setLevel, level).join();
    const size_t mark = alice.ConsoleSize();
    alice.SetCvar(kNetcodeMessageInCvar, "[Shroudweave][0]x");
    EXPECT_EQ(console_lines::StartingWith(alice.ConsoleSince(mark), "(C: ").size(), level > 2 ? 2u : 0u)
        << level;
  }
}

// Wrong shapes written by another thread while the game thread ticks: each is
// reported at most once, whether the pass or the sender's task meets it
// first, and the one left last is met. The writer goes round as many distinct
// values as the plug-in remembers, 16 times, pausing between values, so that
// the game thread meets each of them over and over: the distinct values bound
// the reports.
TEST_F(ConcurrencySoak, WrongShapesFromAnotherThreadAreReportedOncePerValue) {
  PrepareRounds();
  const size_t values = WrongShapeReports::kRemembered, writes = 16 * values, mark = alice.ConsoleSize();
  std::atomic<bool> done{false};
  std::thread writer([&] {
    CVarWrapper invisJson = alice.CvarManager()->getCvar(kInvisJsonCvar);
    for (size_t i = 0; i < writes; ++i) {
      invisJson.setValue("{\"invisDeque\":[[true," + std::to_string(i % values) + "]]}");
      std::this_thread::sleep_for(kWritePause);
    }
    done = true;
  });
  while (!done) Sim().Tick();
  writer.join();
  Sim().Tick(2);
  const size_t reports = console_lines::StartingWith(alice.ConsoleSince(mark), kWrongShapeReport).size();
  std::cout << "wrong shapes: " << writes << " writes of " << values << " values, " << reports
            << " reports\n";
  EXPECT_LE(reports, values);
  EXPECT_GE(reports, 1u);
}

}  // namespace
