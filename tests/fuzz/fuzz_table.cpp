// The table decode on any text of "invis_json" (decode, store, decode again),
// and the enforcement pass on it, with a match, roster and viewer chosen by the
// input, checked car by car against the model of the rules (tests/model/).
//
// Input: one header line choosing the scenario, then the text of "invis_json".
#include <climits>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "FuzzWorld.h"
#include "common/Tables.h"
#include "model/VisibilityRules.h"
#include "visibility/EnforcementPass.h"
#include "visibility/NamesList.h"
#include "visibility/VisibilityTable.h"

using namespace glimmerfade;

namespace {

const char* const kNamesUnchanged = "unchanged";
constexpr size_t kMaxPlayers = 8;

enum class Mode { Local, OnlineEnforced, OnlineOtherPlaylist, LocalWithoutCarArray };

struct Scenario {
  Mode mode = Mode::Local;
  int playlist = kEnforcedOnlinePlaylist;
  std::vector<sim::PlayerSetup> players;
  bool hasController = true;
  int controlled = -1;  // index into players; -1: a controller with no player entry
  int viewerTeam = 255;
};

int ShortcutFrom(unsigned char byte) {
  static const int kShortcuts[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, -1, 9, 10, INT_MIN, INT_MAX, 3, 5};
  return kShortcuts[byte % 16];
}

// Two bytes a player: shortcut number; team, spectator, car, and a name that
// holds "," and ";" now and then.
sim::PlayerSetup PlayerFrom(size_t index, unsigned char first, unsigned char second) {
  static const int kTeams[] = {0, 1, 255};
  sim::PlayerSetup setup;
  setup.name = "P" + std::to_string(index) + ((second / 60) % 2 ? ",a;b" : "");
  setup.shortcut = ShortcutFrom(first);
  setup.team = kTeams[second % 3];
  setup.spectator = (second / 3) % 5 == 0;
  setup.hasCar = (second / 15) % 4 != 0;
  return setup;
}

Scenario ScenarioFrom(const std::string& header) {
  auto byte = [&](size_t i) { return i < header.size() ? static_cast<unsigned char>(header[i]) : 0; };
  Scenario scenario;
  scenario.mode = static_cast<Mode>(byte(0) % 4);
  scenario.playlist = scenario.mode == Mode::OnlineOtherPlaylist ? 7
                      : (byte(0) / 4) % 2                        ? kEnforcedOnlinePlaylist
                                                                 : 3;
  if (scenario.mode == Mode::OnlineEnforced) scenario.playlist = kEnforcedOnlinePlaylist;
  for (size_t i = 3; i + 1 < header.size() && scenario.players.size() < kMaxPlayers; i += 2)
    scenario.players.push_back(PlayerFrom(scenario.players.size(), byte(i), byte(i + 1)));
  const int viewerChoice = byte(1) % static_cast<int>(scenario.players.size() + 2);
  scenario.hasController = viewerChoice != 0;
  scenario.controlled = viewerChoice - 2;
  const int ownTeam = scenario.controlled >= 0 ? scenario.players[scenario.controlled].team : 255;
  const int kViewerTeams[] = {ownTeam, 0, 1, 255, 2};
  scenario.viewerTeam = kViewerTeams[byte(2) % 5];
  return scenario;
}

// One client, a match, and the enforcement pass on a plug-in object of the
// fuzzer's own, with the two variables the pass reads and writes.
struct TableWorld : fuzz::ScratchWorld {
  sim::Client& client = Simulation().AddClient("viewer");
  sim::Match& match = Simulation().CreateMatch("arena", kEnforcedOnlinePlaylist);
  CVarWrapper invisJson =
      client.CvarManager()->registerCvar(kInvisJsonCvar, "", "", true, false, 0, false, 0, false);
  CVarWrapper names =
      client.CvarManager()->registerCvar(kNamesListCvar, "", "", true, false, 0, false, 0, false);
  std::unique_ptr<Shroudweave> plugin = fuzz::MakeDetachedPlugin(client);

  TableWorld() : ScratchWorld("table") {}

  // Fresh player entries (and so fresh cars, all shown) for every scenario.
  void Stage(const Scenario& scenario) {
    std::vector<std::string> previous;
    for (sim::Player* player : match.Players()) previous.push_back(player->setup.name);
    for (const std::string& name : previous) match.RemovePlayer(name);
    match.SetPlaylistId(scenario.playlist);
    match.SetHasCarArray(scenario.mode != Mode::LocalWithoutCarArray);
    client.LeaveMatch();  // a client that runs a match does not join it, nor host one it joined
    if (scenario.mode == Mode::OnlineEnforced || scenario.mode == Mode::OnlineOtherPlaylist)
      client.JoinMatch(match);
    else
      client.RunMatch(match);
    for (const sim::PlayerSetup& setup : scenario.players) match.AddPlayer(setup);
    if (!scenario.hasController) {
      client.SetNoController();
    } else {
      client.Control(scenario.controlled >= 0 ? scenario.players[scenario.controlled].name : "");
    }
    client.SetViewerTeam(scenario.viewerTeam);
  }
};

// The decode either fails with the JSON library's own errors, leaving the
// caller's table alone, or gives a table that stores and decodes unchanged.
void CheckDecodeStoreDecode(TableWorld& world, const std::string& text) {
  const DecodedVisibilityTable decoded = DecodeVisibilityTable(text);
  const VisibilityTable sentinel(2, std::deque<bool>(1, true));
  VisibilityTable loaded = sentinel;
  try {
    LoadInvisibilityStates(text, loaded);
    fuzz::Require(decoded.outcome == DecodedVisibilityTable::Outcome::Decoded, "decode outcomes agree");
    fuzz::Require(loaded == decoded.table, "both decodes give the same table");
  } catch (const nlohmann::json::parse_error&) {
    fuzz::Require(decoded.outcome == DecodedVisibilityTable::Outcome::NotJson, "a parse error is NotJson");
    fuzz::Require(loaded == sentinel, "a failed decode leaves the caller's table");
  } catch (const nlohmann::json::exception&) {
    fuzz::Require(decoded.outcome == DecodedVisibilityTable::Outcome::WrongShape,
                  "a type error is WrongShape");
    fuzz::Require(loaded == sentinel, "a failed decode leaves the caller's table");
  }
  if (decoded.outcome != DecodedVisibilityTable::Outcome::Decoded) return;

  StoreInvisibilityStates(*world.client.CvarManager(), decoded.table);
  const std::string stored = world.invisJson.getStringValue();
  const DecodedVisibilityTable again = DecodeVisibilityTable(stored);
  fuzz::Require(again.outcome == DecodedVisibilityTable::Outcome::Decoded && again.table == decoded.table,
                "decode, store, decode gives the same table");
  fuzz::Require(EncodeVisibilityTable(again.table) == stored, "a stored table stores byte for byte the same");
}

// Whether the pass gets past its checks of the match: one the model says is
// enforced, with a car array and a local controller.
bool PassRuns(const Scenario& scenario) {
  const bool online = scenario.mode == Mode::OnlineEnforced || scenario.mode == Mode::OnlineOtherPlaylist;
  return scenario.mode != Mode::LocalWithoutCarArray && scenario.hasController &&
         model::Enforces(online, scenario.playlist);
}

model::Viewer ViewerOf(const Scenario& scenario) {
  model::Viewer viewer;
  viewer.team = scenario.viewerTeam;
  viewer.hasEntry = scenario.controlled >= 0;
  if (viewer.hasEntry) {
    const sim::PlayerSetup& own = scenario.players[scenario.controlled];
    viewer.ownShortcut = own.shortcut;
    viewer.ownHasCar = own.hasCar;
  }
  return viewer;
}

// What the model says a pass with this text does: the names list it leaves
// ("unchanged" when no pass runs) and, for each player, hidden or shown
// (nullopt: the car is left as it was).
struct ExpectedPass {
  std::string names = kNamesUnchanged;
  std::vector<std::optional<bool>> hidden;
};

ExpectedPass Expected(const Scenario& scenario, const std::string& text) {
  ExpectedPass expected;
  expected.hidden.resize(scenario.players.size());
  if (!PassRuns(scenario)) return expected;
  std::vector<model::Owner> roster;
  for (const sim::PlayerSetup& setup : scenario.players)
    roster.push_back({setup.name, setup.team, setup.shortcut, setup.spectator, setup.hasCar});
  const model::PassResult pass = model::Pass(model::DecodeTable(text), scenario.mode == Mode::OnlineEnforced,
                                             ViewerOf(scenario), roster);
  expected.names = pass.namesList;
  for (size_t i = 0; i < pass.cars.size(); ++i)
    if (pass.cars[i].second != model::CarState::Untouched)
      expected.hidden[i] = pass.cars[i].second == model::CarState::Hidden;
  return expected;
}

// Runs one pass with the given "invis_json" and checks every car; returns how
// the pass left the cars.
std::vector<bool> CheckPass(TableWorld& world, const Scenario& scenario, const std::string& text,
                            const std::vector<bool>& hiddenBefore) {
  world.invisJson.setValue(text);
  world.names.setValue(kNamesUnchanged);
  world.plugin->EnforceVisibility();
  const ExpectedPass expected = Expected(scenario, text);
  std::vector<bool> hidden(scenario.players.size());
  for (size_t i = 0; i < scenario.players.size(); ++i) {
    const std::optional<bool> actual = world.client.CarHidden(scenario.players[i].name);
    if (!scenario.players[i].hasCar) continue;
    hidden[i] = expected.hidden[i].value_or(hiddenBefore[i]);
    fuzz::Require(actual == hidden[i], "each car is hidden or shown as the model says for this viewer");
  }
  fuzz::Require(world.names.getStringValue() == expected.names,
                "the names list is the one the model composes");
  return hidden;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = fuzz::AsText(data, size);
  const size_t newline = input.find('\n');
  const std::string header = newline == std::string::npos ? std::string() : input.substr(0, newline);
  const std::string text = newline == std::string::npos ? input : input.substr(newline + 1);

  TableWorld& world = fuzz::ReusedWorld<TableWorld>(20000);
  CheckDecodeStoreDecode(world, text);

  const Scenario scenario = ScenarioFrom(header);
  world.Stage(scenario);
  const std::vector<bool> allShown(scenario.players.size(), false);
  const std::vector<bool> afterFirst =
      CheckPass(world, scenario, tables::Json(tables::AllHidden()), allShown);
  CheckPass(world, scenario, text, afterFirst);
  world.RequireNoFaults();
  return 0;
}
