// The project's enforcement pass, which keeps the last table decode, its names
// buffers and the roster from pass to pass, held against the reference pass,
// which keeps only the roster, whole.
// Random sequences of "invis_json" values (tables whole, long and
// short, wrong shapes, text that is not JSON, repeats) and world changes
// (players coming, going and changing, the viewer, online and local matches)
// run through two simulations: one with the module enforcing as it ships, one
// with the same module loaded but the reference pass hooked in its place. After
// every step each car, both variables and every console line must agree. After
// every step that runs passes, the project's cars and names list are also held
// against the model of the rules (tests/model/), which shares no code with either.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/InvisJsonSamples.h"
#include "common/MatchWorld.h"
#include "common/ScratchFolder.h"
#include "host/Simulation.h"
#include "model/VisibilityRules.h"
#include "plugin/Shroudweave.h"
#include "pluginsdk.h"
#include "visibility/EnforcementPass.h"

using namespace glimmerfade;

namespace {

// Whether the client runs a match a pass can see: not online, in a game with
// a game event.
bool RunsAMatch(GameWrapper& game) {
  return !game.IsInOnlineGame() && game.IsInGame() && !game.GetGameEventAsServer().IsNull();
}

// Whether a pass walks the roster of a match this client runs.
bool WalksRosterOfOwnMatch(GameWrapper& game) {
  if (!RunsAMatch(game)) return false;
  ServerWrapper event = game.GetGameEventAsServer();
  return !event.GetCars().IsNull() && game.GetPlayerController() && !event.GetPRIs().IsNull();
}

// The project's pass keeping nothing between calls but the match it walked
// last (its game event and roster), whole: it decodes "invis_json" and
// composes the names list afresh every time. When the match this client runs
// is another than that, and someone besides the local player is in it, it
// stores "invis_json" again, which has the module send the table, as the
// module's own pass has it sent. Outside a match it runs, it forgets.
void RunReferencePass(CVarManagerWrapper& cvars, GameWrapper& game, WrongShapeReports& reports,
                      std::optional<std::vector<uintptr_t>>& matchSeen) {
  EnforcementPassMemory nothingKept;
  RunEnforcementPass(cvars, game, nothingKept, reports);
  if (!RunsAMatch(game)) matchSeen.reset();
  if (!WalksRosterOfOwnMatch(game)) return;
  ServerWrapper event = game.GetGameEventAsServer();
  ArrayWrapper<PriWrapper> pris = event.GetPRIs();
  std::vector<uintptr_t> match{event.memory_address};
  for (int i = 0; i < pris.Count(); ++i) match.push_back(pris.Get(i).memory_address);
  if (match == matchSeen) return;
  matchSeen = match;
  const uintptr_t local = game.GetPlayerController().GetPRI().memory_address;
  if (std::none_of(match.begin() + 1, match.end(), [&](uintptr_t entry) { return entry != local; })) return;
  CVarWrapper invisJson = cvars.getCvar(kInvisJsonCvar);
  invisJson.setValue(invisJson.getStringValue());
}

using Rng = std::mt19937;

int Pick(Rng& rng, int below) { return std::uniform_int_distribution<int>(0, below - 1)(rng); }
bool Chance(Rng& rng, int percent) { return Pick(rng, 100) < percent; }
template <class T>
const T& PickFrom(Rng& rng, const std::vector<T>& items) {
  return items[Pick(rng, static_cast<int>(items.size()))];
}

// ---- "invis_json" values ----

std::string Flags(Rng& rng, int count) {
  std::string text = "[";
  for (int k = 0; k < count; ++k) text += std::string(k ? "," : "") + (Chance(rng, 60) ? "true" : "false");
  return text + "]";
}

std::string Document(const std::vector<std::string>& entries, bool spaced) {
  std::string list;
  for (size_t n = 0; n < entries.size(); ++n) list += (n ? (spaced ? ", " : ",") : "") + entries[n];
  return spaced ? "{ \"note\": 1, \"invisDeque\" : [ " + list + " ] }" : "{\"invisDeque\":[" + list + "]}";
}

// entrySizes(n) gives the number of flags of entry n.
template <class Sizes>
std::string Table(Rng& rng, int entries, Sizes entrySizes, bool spaced = false) {
  std::vector<std::string> list;
  for (int n = 0; n < entries; ++n) list.push_back(Flags(rng, entrySizes(n)));
  return Document(list, spaced);
}

using invis_json_samples::kWrongShapes;
const std::vector<std::string> kNotJson = {
    "", " ", "{", "{\"invisDeque\":[[true]", "garbage", "[true,]", "\xff", "{\"invisDeque\":[]} x",
};

class Values {
 public:
  std::string Next(Rng& rng) {
    std::string value = Make(rng);
    recent.push_back(value);
    if (recent.size() > 4) recent.erase(recent.begin());
    return value;
  }

 private:
  std::string Make(Rng& rng) {
    const auto three = [](int) { return 3; };
    switch (Pick(rng, 12)) {
      case 0:
      case 1:
      case 2:
        return Table(rng, 9, three);
      case 3:
        return Table(rng, 9, three, /*spaced=*/true);  // the same table as other texts
      case 4:
        return Table(rng, 9 + Pick(rng, 4), [&](int) { return 3 + Pick(rng, 3); });
      case 5:
        return Table(rng, Pick(rng, 9), three);
      case 6:
        return Table(rng, 9, [&](int) { return Chance(rng, 25) ? Pick(rng, 3) : 3; });
      case 7:
        return PickFrom(rng, kWrongShapes);
      case 8: {
        if (Chance(rng, 50)) return PickFrom(rng, kNotJson);
        const std::string whole = Table(rng, 9, three);
        return whole.substr(0, Pick(rng, static_cast<int>(whole.size())));
      }
      default:  // a value seen shortly before, the current one included
        return recent.empty() ? Table(rng, 9, three) : PickFrom(rng, recent);
    }
  }

  std::vector<std::string> recent;
};

// ---- world changes ----

sim::PlayerSetup RandomPlayer(Rng& rng, const std::string& name) {
  sim::PlayerSetup setup;
  setup.name = name;
  setup.team = PickFrom(rng, std::vector<int>{0, 0, 1, 1, 255});
  setup.spectator = Chance(rng, 10);
  setup.shortcut = Chance(rng, 85) ? 1 + Pick(rng, 8) : PickFrom(rng, std::vector<int>{-1, 0, 9, 100});
  setup.hasCar = Chance(rng, 85);
  return setup;
}

// A client with the module loaded in a simulation of its own.
class Leg {
 public:
  explicit Leg(const std::string& name, bool isReference)
      : reference(isReference), scratch("glimmerfade-differential-" + name + "-") {
    simulation = std::make_unique<sim::Simulation>(scratch.path);
    client = &simulation->AddClient(name);
    match = &simulation->CreateMatch("arena", kEnforcedOnlinePlaylist);
    client->SetNetcodeAvailability(sim::NetcodeAvailability::Unavailable);
    EXPECT_TRUE(client->InstallPluginFile("Glimmerfade") && client->LoadPlugin("Glimmerfade"));
    if (reference) {
      std::shared_ptr<CVarManagerWrapper> cvars = client->CvarManager();
      std::shared_ptr<GameWrapper> game = client->Game();
      WrongShapeReports* kept = &reports;
      std::optional<std::vector<uintptr_t>>* seen = &rosterSeen;
      game->HookEventPost(kVehicleInputEvent, [this, cvars, game, kept, seen](std::string) {
        const size_t before = client->ConsoleSize();
        RunReferencePass(*cvars, *game, *kept, *seen);
        for (size_t line = before; line < client->ConsoleSize(); ++line) passLines.insert(line);
      });
    } else {
      EXPECT_TRUE(client->SetCvar(kEnabledCvar, "1"));
      simulation->RunPending();  // the switch hooks at the game thread's next turn
    }
    mark = scanned = client->ConsoleSize();
  }

  sim::Client& Client() { return *client; }
  sim::Match& Match() { return *match; }

  // Set through the host, so the module's replication sender sees it on both
  // legs; its task runs at the next turn.
  void SetInvisJson(const std::string& value) {
    client->SetCvar(kInvisJsonCvar, value);
    simulation->RunPending();
  }

  // The module's sender and its pass share one memory of the wrong shapes they
  // reported. On the reference leg the sender keeps that memory alone, so a
  // sender's line about a value the reference pass reported is one the shared
  // memory keeps silent, and a value the sender reports is one the reference
  // pass must not report again. Both read "invis_json" when they run, which a
  // step leaves as they read it.
  void ShareWrongShapeMemory() {
    if (!reference) return;
    const std::string value = client->CvarValue(kInvisJsonCvar).value_or("");
    const std::vector<std::string> lines = client->ConsoleSince(scanned);
    for (size_t n = 0; n < lines.size(); ++n) {
      if (passLines.count(scanned + n) || lines[n].rfind(kWrongShapeReport, 0) != 0) continue;
      if (reports.WasReported(value))
        silenced.insert(scanned + n);
      else
        reports.Remember(value);
    }
    scanned += lines.size();
  }

  // Everything a pass can change or write, since the leg was set up.
  std::string Transcript() const {
    std::string text = "names=" + client->CvarValue(kNamesListCvar).value_or("<none>") + "\ncars:";
    for (sim::Player* player : match->Players()) {
      const std::optional<bool> hidden = client->CarHidden(player->setup.name);
      text += " " + player->setup.name + (hidden ? (*hidden ? "=hidden" : "=shown") : "=none");
    }
    text += "\nescaped=" + std::to_string(client->EscapedExceptions()) + "\nconsole:\n";
    const std::vector<std::string> lines = client->ConsoleSince(mark);
    for (size_t n = 0; n < lines.size(); ++n)
      if (!silenced.count(mark + n)) text += lines[n] + "\n";
    return text;
  }

 private:
  bool reference;
  ScratchFolder scratch;  // outlives the simulation
  std::unique_ptr<sim::Simulation> simulation;
  sim::Client* client = nullptr;
  sim::Match* match = nullptr;
  size_t mark = 0;
  size_t scanned = 0;
  std::set<size_t> passLines;  // console lines the reference pass wrote
  std::set<size_t> silenced;   // sender lines the shared memory would not write
  WrongShapeReports reports;
  std::optional<std::vector<uintptr_t>> rosterSeen;
};

// ---- the model's view of a leg ----

using CarStates = std::map<std::string, std::optional<bool>>;  // hidden, by owner; nullopt: no car

CarStates Cars(Leg& leg) {
  CarStates cars;
  for (sim::Player* player : leg.Match().Players())
    cars[player->setup.name] = leg.Client().CarHidden(player->setup.name);
  return cars;
}

// Whether a pass gets past its checks of the match: a match that the model
// says is enforced, with a car array and a local controller.
bool PassReachesRoster(GameWrapper& game) {
  const bool online = game.IsInOnlineGame();
  ServerWrapper event = online ? game.GetOnlineGame() : game.GetGameEventAsServer();
  if (event.IsNull() || event.GetCars().IsNull() || !game.GetPlayerController()) return false;
  GameSettingPlaylistWrapper playlist = event.GetPlaylist();
  return model::Enforces(online, playlist ? playlist.GetPlaylistId() : -1);
}

model::Viewer ViewerOf(GameWrapper& game) {
  PlayerControllerWrapper controller = game.GetPlayerController();
  PriWrapper own = controller.GetPRI();
  model::Viewer viewer;
  viewer.team = controller.GetTeamNum2();
  viewer.hasEntry = !own.IsNull();
  viewer.ownShortcut = viewer.hasEntry ? own.GetSpectatorShortcut() : 0;
  viewer.ownHasCar = viewer.hasEntry && !own.GetCar().IsNull();
  return viewer;
}

// After passes: every car the model decides is as it says, every other car as
// it was before, and the names list is the one the model composes. Empty when
// the leg agrees with the model.
std::string DisagreementWithModel(Leg& leg, const CarStates& before, const std::string& namesBefore) {
  sim::Client& client = leg.Client();
  GameWrapper& game = *client.Game();
  CarStates expected = before;
  std::string names = namesBefore;
  if (PassReachesRoster(game)) {
    std::vector<model::Owner> roster;
    for (sim::Player* player : leg.Match().Players()) {
      const sim::PlayerSetup& setup = player->setup;
      roster.push_back({setup.name, setup.team, setup.shortcut, setup.spectator, setup.hasCar});
    }
    const model::PassResult pass =
        model::Pass(model::DecodeTable(client.CvarValue(kInvisJsonCvar).value_or("")), game.IsInOnlineGame(),
                    ViewerOf(game), roster);
    names = pass.namesList;
    for (const auto& [name, state] : pass.cars)
      if (state != model::CarState::Untouched) expected[name] = state == model::CarState::Hidden;
  }
  std::string disagreement;
  const std::string actualNames = client.CvarValue(kNamesListCvar).value_or("<none>");
  if (actualNames != names) disagreement += "names list " + actualNames + ", the model says " + names + "\n";
  const CarStates actual = Cars(leg);
  for (const auto& [name, hidden] : actual) {
    if (hidden == expected[name]) continue;
    const auto text = [](std::optional<bool> h) {
      return std::string(!h ? "none" : *h ? "hidden" : "shown");
    };
    disagreement += name + " is " + text(hidden) + ", the model says " + text(expected[name]) + "\n";
  }
  return disagreement;
}

// The same random step applied to both legs; returns what it did.
class Script {
 public:
  Script(unsigned seed, Leg& project, Leg& reference) : rng(seed), legs{&project, &reference} {}

  std::string Step() {
    const int choice = Pick(rng, 100);
    if (choice < 35) return SetValue();
    if (choice < 65) return Passes();
    return ChangeWorld();
  }

 private:
  template <class Action>
  void OnBoth(Action action) {
    for (Leg* leg : legs) action(*leg);
  }

  std::string SetValue() {
    const std::string value = values.Next(rng);
    OnBoth([&](Leg& leg) { leg.SetInvisJson(value); });
    return "invis_json " + value;
  }

  std::string Passes() {
    const int count = 1 + Pick(rng, 3);
    OnBoth([&](Leg& leg) {
      for (int i = 0; i < count; ++i) leg.Client().RaiseVehicleInput();
    });
    return std::to_string(count) + " passes";
  }

  std::vector<std::string> PlayerNames() {
    std::vector<std::string> names;
    for (sim::Player* player : legs[0]->Match().Players()) names.push_back(player->setup.name);
    return names;
  }

  std::string NewName() {
    const int n = nextPlayer++;
    // Now and then a name with the names list's separators in it.
    const char* tail = n % 7 == 3 ? ";x" : (n % 7 == 5 ? ",y" : "");
    return "P" + std::to_string(n) + tail;
  }

  std::string ChangeWorld() {
    const std::vector<std::string> names = PlayerNames();
    const int choice = Pick(rng, 100);
    if (names.size() < 3 || choice < 25) {
      const sim::PlayerSetup setup = RandomPlayer(rng, NewName());
      OnBoth([&](Leg& leg) { leg.Match().AddPlayer(setup); });
      return "add " + setup.name;
    }
    const std::string& name = PickFrom(rng, names);
    if (choice < 35) {
      OnBoth([&](Leg& leg) { leg.Match().RemovePlayer(name); });
      return "remove " + name;
    }
    if (choice < 55) {
      const sim::PlayerSetup setup = RandomPlayer(rng, name);
      OnBoth([&](Leg& leg) { leg.Match().UpdatePlayer(name, setup); });
      return "update " + name + " team " + std::to_string(setup.team) + " shortcut " +
             std::to_string(setup.shortcut) + (setup.spectator ? " spectator" : "") +
             (setup.hasCar ? "" : " no car");
    }
    if (choice < 68) {
      const std::string controlled = Chance(rng, 15) ? "" : name;
      OnBoth([&](Leg& leg) { leg.Client().Control(controlled); });
      return "control '" + controlled + "'";
    }
    if (choice < 73) {
      OnBoth([&](Leg& leg) { leg.Client().SetNoController(); });
      return "no controller";
    }
    if (choice < 80) {
      const int team = PickFrom(rng, std::vector<int>{0, 1, 255, 7});
      OnBoth([&](Leg& leg) { leg.Client().SetViewerTeam(team); });
      return "viewer team " + std::to_string(team);
    }
    if (choice < 84) {
      const bool hasCars = Chance(rng, 60);
      OnBoth([&](Leg& leg) { leg.Match().SetHasCarArray(hasCars); });
      return hasCars ? "car array" : "no car array";
    }
    return ChangeMatch();
  }

  // Local and online (in the enforced playlist or another), or no match at
  // all. The client leaves first: no game lets it run a match it joined.
  std::string ChangeMatch() {
    const int roll = Pick(rng, 100);
    const int choice = roll < 40 ? 0 : roll < 70 ? 1 : roll < 85 ? 2 : 3;
    const int playlist = choice == 2 ? kOtherPlaylist : kEnforcedOnlinePlaylist;
    OnBoth([&](Leg& leg) {
      leg.Match().SetPlaylistId(playlist);
      leg.Client().LeaveMatch();
      if (choice == 0) leg.Client().RunMatch(leg.Match());
      if (choice == 1 || choice == 2) leg.Client().JoinMatch(leg.Match());
    });
    const char* what[] = {"run the match", "join online, the enforced playlist",
                          "join online, another playlist", "leave"};
    return what[choice];
  }

  Rng rng;
  Leg* legs[2];
  Values values;
  int nextPlayer = 0;
};

void StartWorld(Leg& leg, bool online) {
  for (int n = 1; n <= 4; ++n) leg.Match().AddPlayer({"Start" + std::to_string(n), n % 2, false, n, true});
  online ? leg.Client().JoinMatch(leg.Match()) : leg.Client().RunMatch(leg.Match());
  leg.Client().Control("Start1");
}

// Each sequence stops at its first disagreement and shows the steps that led there.
TEST(DifferentialPass, ProjectPassAgreesWithTheReferenceOverRandomSequences) {
  constexpr int kSequences = 24;
  constexpr int kSteps = 150;
  for (unsigned seed = 1; seed <= kSequences; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Leg project("project", /*reference=*/false);
    Leg reference("reference", /*reference=*/true);
    const bool online = seed % 3 == 0;
    StartWorld(project, online);
    StartWorld(reference, online);
    Script script(seed, project, reference);
    std::string steps;
    for (int step = 0; step < kSteps; ++step) {
      const CarStates carsBefore = Cars(project);
      const std::string namesBefore = project.Client().CvarValue(kNamesListCvar).value_or("<none>");
      const std::string what = script.Step();
      steps += what + "\n";
      reference.ShareWrongShapeMemory();
      if (what.size() > 7 && what.compare(what.size() - 7, 7, " passes") == 0) {
        const std::string disagreement = DisagreementWithModel(project, carsBefore, namesBefore);
        if (!disagreement.empty()) {
          ADD_FAILURE() << "after step " << step << ", the model disagrees:\n"
                        << disagreement << "steps:\n"
                        << steps;
          break;
        }
      }
      const std::string expected = reference.Transcript();
      if (project.Transcript() != expected) {
        ADD_FAILURE() << "after step " << step << ", steps:\n"
                      << steps << "\nproject:\n"
                      << project.Transcript() << "\nreference:\n"
                      << expected;
        break;
      }
    }
    EXPECT_EQ(project.Client().EscapedExceptions(), 0u);
  }
}

}  // namespace
