#include "ScenarioGenerator.h"

#include <algorithm>

#include "common/InvisJsonSamples.h"
#include "common/MatchWorld.h"
#include "visibility/EnforcementPass.h"

using namespace glimmerfade;

namespace scenario {
namespace {
const std::vector<std::string> kClientNames = {"alice", "bruno", "carmen", "dmitri"};
// One name with a comma, which the names list carries whole, and one with a
// semicolon, which it cannot carry.
const std::vector<std::string> kPlayerNames = {"Ann", "Ben", "Cid", "Dee",  "Eve", "Fay",
                                               "Gus", "Hal", "Ivy", "Jo,e", "Ki;m"};
const std::vector<std::string> kFlagLabels = {"Visible to Teammates", "Visible to Opponents",
                                              "Visible to Spectators"};

// Wrong shapes, and one with quotes and backslashes, which the saved settings escape.
const std::vector<std::string> kWrongShapes = [] {
  std::vector<std::string> shapes = invis_json_samples::kWrongShapes;
  shapes.push_back("{\"invisDeque\":\"a\\\"b\\\\c\"}");
  return shapes;
}();
const std::vector<std::string> kNotJson = {
    "\"\"",
    "{",
    "{\"invisDeque\":[[true]",
    "garbage",
    "[true,]",
    "\xff",
    "{\"invisDeque\":[]} x",
    "nul",
    "{\"invisDeque\":\t[[true]]}",
};
// Short tables written as they may be typed: with a tab, and empty.
const std::vector<std::string> kShortTables = {"{\"invisDeque\":\t[[true]]}", "{\"invisDeque\":[]}"};
// Texts written into "NETCODE_Message_In" as they are; the model decides what
// each does.
const std::vector<std::string> kIncoming = {
    "[Shroudweave][0]3:0,1,0",
    "[Shroudweave]4:0,0,0",
    "[Shroudweave][]2:1,0,1",
    "[Shroudweave][12",
    "[shroudweave][0]1:0,0,0",
    "[Other][0]1:0,0,0",
    "Shroudweave]1:0,0,0",
    "[Shroudweave][0]3:0,0",
    "[Shroudweave][0]3:",
    "[Shroudweave][0]99999999999:0,0,0",
    "[Shroudweave][0]9:0,0,0;4:0,0,0",
    "[Shroudweave][0]-1:0,0,0;5:0,0,0",
    "[Shroudweave][0]x:0,0,0;6:0,0,0",
    "[Shroudweave][0]",
    "[Shroudweave][123456789]5:1,1,1;2:0,0,0",
    "[Shroudweave][ 42abc]03:000000",
    "[Shroudweave][0]4-0,0,0",
    "[Shroudweave][0]1:a,b,c;8:0,0,0,0,0",
    "[A[B]]x",
    "[Shroudweave",
    "]]][[[",
};
const std::vector<std::string> kNamesLists = {"1,Zed;3,Yan", "x,Ann;4x,Dee", "1;2;3;4;5;6;7;8;", "5,",
                                              "0,Zed"};

std::string Number(int value) { return std::to_string(value); }

Step On(const std::string& client, const std::string& line) { return Step{{"sim use " + client, line}}; }
}  // namespace

uint64_t Random::Next() {  // splitmix64
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int Random::Below(int count) {
  return count <= 1 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(count));
}

std::vector<Step> Generator::Setup() {
  std::vector<Step> steps;
  steps.push_back(
      Step{{"sim match arena " + Number(random.Chance(85) ? kEnforcedOnlinePlaylist : kOtherPlaylist)}});
  std::vector<std::string> names = kPlayerNames;
  std::vector<std::string> added;
  for (int i = 3 + random.Below(4); i > 0; --i) {
    const int pick = random.Below(static_cast<int>(names.size()));
    added.push_back(names[pick]);
    names.erase(names.begin() + pick);
    steps.push_back(Step{{"sim player add arena " + added.back() + " team=" + Number(i % 2) +
                          " shortcut=" + Number(Shortcut()) + (random.Chance(8) ? " spectator=yes" : "") +
                          (random.Chance(8) ? " car=no" : "")}});
  }
  const int clients = 2 + random.Below(3);
  for (int i = 0; i < clients; ++i) {
    const std::string& client = kClientNames[i];
    const int roll = random.Below(100);
    const char* availability = roll < 60   ? "loaded"
                               : roll < 75 ? "present"
                               : roll < 90 ? "installable"
                                           : "unavailable";
    steps.push_back(Step{{"sim client " + client + " " + availability}});
    if (random.Chance(95)) steps.push_back(On(client, "plugin load Glimmerfade"));
    steps.push_back(On(client, i == 0 ? "sim run arena" : "sim join arena"));
    const std::string player = random.Chance(90) && i < static_cast<int>(added.size()) ? added[i] : "none";
    steps.push_back(On(client, "sim control " + player));
    if (random.Chance(85)) steps.push_back(On(client, "shroudweave_enabled 1"));
    if (random.Chance(30)) steps.push_back(On(client, "NETCODE_Log_Level 3"));
  }
  return steps;
}

// Mostly one of the slots the panel lists; now and then one it cannot.
int Generator::Shortcut() {
  return random.Chance(88) ? 1 + random.Below(8) : random.PickFrom(std::vector<int>{0, -1, 9, 12, 100});
}

Step Generator::Next(const model::WorldModel& world) {
  // Weights by measure: a panel click sweeps the mouse over the page frame by
  // frame and costs about 60 typed lines (some 10 ms against 0.2 ms), so the
  // clicks, some 4% of the steps, already take close to half of the time.
  const int roll = random.Below(100);
  if (roll < 30) return Time();
  if (roll < 42) return PlayerChange(world);
  if (roll < 54) return TypedTable(world);
  if (roll < 58) return PanelClick(world);
  if (roll < 64) return IncomingGarbage(world);
  if (roll < 69) return MatchChange(world);
  if (roll < 75) return ViewerChange(world);
  if (roll < 80) return EnableToggle(world);
  if (roll < 86) return PluginReload(world);
  if (roll < 89) return DelayChange();
  if (roll < 91)
    return Step{
        {"sim playlist arena " + Number(random.Chance(60) ? kEnforcedOnlinePlaylist : kOtherPlaylist)}};
  return Look(world);
}

Step Generator::Time() {
  const int roll = random.Below(100);
  if (roll < 35) return Step{{"sim tick " + Number(1 + random.Below(3))}};
  if (roll < 95) {
    static const std::vector<std::string> waits = {"0.02", "0.05", "0.06", "0.1", "0.25",
                                                   "0.5",  "1",    "2",    "3",   "5"};
    return Step{{"sim wait " + random.PickFrom(waits)}};
  }
  static const std::vector<std::string> longWaits = {"10", "20", "40"};
  return Step{{"sim wait " + random.PickFrom(longWaits)}};
}

std::string Generator::PlayerWords(bool all) {
  std::string words;
  if (all || random.Chance(40))
    words += " team=" + Number(random.PickFrom(std::vector<int>{0, 0, 1, 1, 255}));
  if (all || random.Chance(40)) words += " shortcut=" + Number(Shortcut());
  if (random.Chance(all ? 10 : 25)) words += std::string(" spectator=") + (random.Chance(50) ? "yes" : "no");
  if (random.Chance(all ? 12 : 25))
    words += std::string(" car=") + (random.Chance(all ? 0 : 50) ? "yes" : "no");
  return words;
}

Step Generator::PlayerChange(const model::WorldModel& world) {
  std::vector<std::string> present, absent;
  for (const std::string& name : kPlayerNames) (world.FindPlayer(name) ? present : absent).push_back(name);
  const int roll = random.Below(100);
  if (!absent.empty() && (present.size() < 2 || roll < 30))
    return Step{{"sim player add arena " + random.PickFrom(absent) + PlayerWords(true)}};
  const std::string& name = random.PickFrom(present);
  if (roll < 45) return Step{{"sim player remove arena " + name}};
  std::string words = PlayerWords(false);
  if (words.empty()) words = " team=" + Number(random.Below(2));
  return Step{{"sim player update arena " + name + words}};
}

std::string Generator::CompleteTable(bool spaced) {
  std::string rows;
  for (int n = 0; n < 9; ++n) {
    rows += n ? (spaced ? ", [" : ",[") : "[";
    for (int k = 0; k < 3; ++k) rows += std::string(k ? "," : "") + (random.Chance(65) ? "true" : "false");
    rows += "]";
  }
  return spaced ? "{ \"note\": 1, \"invisDeque\" : [ " + rows + " ] }" : "{\"invisDeque\":[" + rows + "]}";
}

std::string Generator::TableValue() {
  const auto table = [&](int entries, int flagsLeast, int flagsMore) {
    std::string rows;
    for (int n = 0; n < entries; ++n) {
      rows += n ? ",[" : "[";
      const int flags = flagsLeast + random.Below(flagsMore + 1);
      for (int k = 0; k < flags; ++k)
        rows += std::string(k ? "," : "") + (random.Chance(60) ? "true" : "false");
      rows += "]";
    }
    return "{\"invisDeque\":[" + rows + "]}";
  };
  switch (random.Below(12)) {
    case 0:
    case 1:
    case 2:
    case 3:
      return CompleteTable(false);
    case 4:
      return CompleteTable(true);  // the same kind of table, written another way
    case 5:
      return table(9 + random.Below(4), 3, 2);  // longer tables and entries
    case 6:
      if (random.Chance(25)) return random.PickFrom(kShortTables);
      return table(random.Below(9), 3, 0);  // too few entries
    case 7:
      return table(9, random.Chance(50) ? 0 : 2, 1);  // entries too short
    case 8:
      return random.PickFrom(kWrongShapes);
    case 9: {
      if (random.Chance(50)) return random.PickFrom(kNotJson);
      const std::string whole = CompleteTable(false);
      return whole.substr(0, 1 + random.Below(static_cast<int>(whole.size()) - 2));
    }
    default:  // a value typed shortly before, so that repeats are sent again
      return recentValues.empty() ? CompleteTable(false) : random.PickFrom(recentValues);
  }
}

const model::ClientState& Generator::SomeClient(const model::WorldModel& world, bool preferHost) {
  std::vector<const model::ClientState*> hosts, all;
  for (const model::ClientState& client : world.Clients()) {
    all.push_back(&client);
    if (!client.IsOnline()) hosts.push_back(&client);
  }
  if (preferHost && !hosts.empty() && random.Chance(75)) return *random.PickFrom(hosts);
  return *random.PickFrom(all);
}

Step Generator::TypedTable(const model::WorldModel& world) {
  const std::string value = TableValue();
  recentValues.push_back(value);
  if (recentValues.size() > 4) recentValues.erase(recentValues.begin());
  return On(SomeClient(world, true).name, "invis_json " + value);
}

Step Generator::PanelClick(const model::WorldModel& world) {
  const model::ClientState& client = SomeClient(world, true);
  if (!client.glimmerfadeLoaded) return On(client.name, "plugin load Glimmerfade");
  const auto nodes = model::PanelNodes(client.namesList);
  if (nodes.empty() || random.Chance(10)) return On(client.name, "sim click Enable plugin");
  const std::string& node = random.PickFrom(nodes).second;
  return Step{{"sim use " + client.name, "sim open " + node,
               "sim click " + node + " / " + random.PickFrom(kFlagLabels)}};
}

std::string Generator::Message() {
  std::string message;
  for (int n = 0; n < 9; ++n) {
    message += (n ? ";" : "") + Number(n) + ":";
    for (int k = 0; k < 3; ++k) message += std::string(k ? "," : "") + (random.Chance(70) ? "1" : "0");
  }
  return message;
}

Step Generator::IncomingGarbage(const model::WorldModel& world) {
  const std::string& client = SomeClient(world, false).name;
  const int roll = random.Below(100);
  if (roll < 30) return On(client, "NETCODE_Message_In [Shroudweave][0]" + Message());
  if (roll < 80) return On(client, "NETCODE_Message_In " + random.PickFrom(kIncoming));
  static const std::string alphabet = "[]:;,-0123456789Shroudweav x";
  std::string garbage;
  for (int i = 1 + random.Below(30); i > 0; --i)
    garbage += alphabet[random.Below(static_cast<int>(alphabet.size()))];
  return On(client, "NETCODE_Message_In " + garbage);
}

Step Generator::MatchChange(const model::WorldModel& world) {
  const size_t clients = world.Clients().size();
  if (clients < kClientNames.size() && random.Chance(15)) {  // a client that comes late
    const std::vector<std::string> availability = {"loaded", "present", "installable", "unavailable"};
    return Step{{"sim client " + kClientNames[clients] + " " + random.PickFrom(availability),
                 "plugin load Glimmerfade", "sim join arena", "sim control " + random.PickFrom(kPlayerNames),
                 "shroudweave_enabled 1"}};
  }
  const model::ClientState& client = SomeClient(world, false);
  const int roll = random.Below(100);
  if (roll < 40) return On(client.name, "sim leave");
  // The first client is the one that runs the match; now and then the roles
  // are tried the other way round, which the model refuses where no game
  // allows it (a second host, a host joining its own match, a joined client
  // hosting it).
  const bool first = &client == &world.Clients().front();
  const bool run = first ? random.Chance(90) : random.Chance(8);
  return On(client.name, run ? "sim run arena" : "sim join arena");
}

Step Generator::ViewerChange(const model::WorldModel& world) {
  const std::string& client = SomeClient(world, false).name;
  const int roll = random.Below(100);
  std::vector<std::string> present;
  for (const model::Owner& player : world.Players()) present.push_back(player.name);
  if (roll < 60 && !present.empty()) return On(client, "sim control " + random.PickFrom(present));
  if (roll < 65) return On(client, "sim control " + random.PickFrom(kPlayerNames));
  if (roll < 70) return On(client, "sim control none");
  if (roll < 78) return On(client, "sim nocontroller");
  return On(client, "sim viewer-team " + Number(random.PickFrom(std::vector<int>{0, 1, 2, 255, 7, 256})));
}

Step Generator::EnableToggle(const model::WorldModel& world) {
  const model::ClientState& client = SomeClient(world, false);
  if (random.Chance(25) && client.glimmerfadeLoaded) return On(client.name, "sim click Enable plugin");
  static const std::vector<std::string> values = {"0", "1", "1", "0", "2", "-3", "0.5", "yes", "1x"};
  return On(client.name, "shroudweave_enabled " + random.PickFrom(values));
}

Step Generator::PluginReload(const model::WorldModel& world) {
  const model::ClientState& client = SomeClient(world, false);
  const bool glimmerfade = random.Chance(60);
  const std::string plugin = glimmerfade ? "Glimmerfade" : "NetcodePlugin";
  const bool loaded = glimmerfade ? client.glimmerfadeLoaded : client.netcodeLoaded;
  if (!glimmerfade && !client.netcodeFile && random.Chance(40)) return On(client.name, "cpm_install 166");
  if (loaded && random.Chance(50))  // unloaded and loaded again in one step
    return Step{{"sim use " + client.name, "plugin unload " + plugin, "plugin load " + plugin}};
  return On(client.name, std::string(loaded ? "plugin unload " : "plugin load ") + plugin);
}

Step Generator::DelayChange() {
  if (random.Chance(35)) {
    static const std::vector<std::string> losses = {"0", "0", "10", "30", "60", "100"};
    const std::string seed = random.Chance(50) ? "" : " seed=" + Number(random.Below(1000));
    return Step{{"sim network loss " + random.PickFrom(losses) + seed}};
  }
  if (random.Chance(60)) {
    static const std::vector<std::string> delays = {"0", "0.02", "0.05", "0.3", "1"};
    return Step{{"sim delay network " + random.PickFrom(delays)}};
  }
  static const std::vector<std::string> delays = {"0", "0.5", "1.5", "2", "4.5"};
  return Step{{"sim delay install " + random.PickFrom(delays)}};
}

// Reading what a client shows, and now and then a names list typed by hand.
Step Generator::Look(const model::WorldModel& world) {
  const std::string& client = SomeClient(world, false).name;
  const int roll = random.Below(100);
  if (roll < 30) return On(client, "sim cars");
  if (roll < 50) return On(client, "sim panel");
  if (roll < 70) return On(client, "invis_json");
  if (roll < 80)
    return On(client, "NETCODE_Log_Level " + random.PickFrom(std::vector<std::string>{"0", "1", "3"}));
  return On(client, "names_specshortcuts " + random.PickFrom(kNamesLists));
}

}  // namespace scenario
