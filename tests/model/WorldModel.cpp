#include "model/WorldModel.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "host/console/ConsoleWords.h"
#include "model/ModelLines.h"
#include "tools/ScriptWords.h"

namespace model {
namespace {
constexpr double kTickSeconds = 1.0 / 120.0;
constexpr double kTimeSlack = 1e-9;
const char* const kFlagLabels[] = {"Visible to Teammates", "Visible to Opponents", "Visible to Spectators"};

// ---- how the simulator reads a line: its own readers, so the model and the
// simulator never split a script line differently ----

using sim::FirstWord;
using sim::TrimSpace;
using sim::Unquoted;

std::optional<int> IntArgument(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < -1000000 || value > 1000000) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<double> SecondsArgument(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(value >= 0) || value > 3600) return std::nullopt;
  return value;
}

bool Arguments(const std::vector<std::string>& args, size_t least, size_t most) {
  return args.size() - 1 >= least && args.size() - 1 <= most;
}

// ---- the host's console variables ----

// A value that is a whole finite number is held within "shroudweave_enabled"'s bounds 0 and 1.
std::string ClampedEnabled(const std::string& value) {
  char* end = nullptr;
  const double number = std::strtod(value.c_str(), &end);
  if (end == value.c_str() || !std::isfinite(number)) return value;
  while (*end != '\0' && std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end != '\0') return value;
  return number < 0 ? "0" : number > 1 ? "1" : value;
}

bool Truthy(const std::string& value) {
  char* end = nullptr;
  const double number = std::strtod(value.c_str(), &end);
  if (end == value.c_str() || std::isnan(number)) return false;
  if (number >= static_cast<double>(INT_MAX) || number <= static_cast<double>(INT_MIN)) return true;
  return static_cast<int>(number) != 0;
}

std::optional<Availability> AvailabilityNamed(const std::string& name) {
  if (name == "loaded") return Availability::Loaded;
  if (name == "present") return Availability::Present;
  if (name == "installable") return Availability::Installable;
  if (name == "unavailable") return Availability::Unavailable;
  return std::nullopt;
}

// key=value words of "sim player"; false for a word the simulator refuses.
bool ApplyPlayerWords(Owner& owner, const std::vector<std::string>& args, size_t first) {
  for (size_t i = first; i < args.size(); ++i) {
    const size_t equals = args[i].find('=');
    const std::string key = args[i].substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : args[i].substr(equals + 1);
    if (key == "team" || key == "shortcut") {
      const std::optional<int> number = IntArgument(value);
      if (!number || (key == "team" && (*number < 0 || *number > 255))) return false;
      (key == "team" ? owner.team : owner.shortcut) = *number;
    } else if ((key == "spectator" || key == "car") && (value == "yes" || value == "no")) {
      (key == "car" ? owner.hasCar : owner.spectator) = value == "yes";
    } else {
      return false;
    }
  }
  return true;
}

// " / " separates the levels of a label path; false when a label is missing.
bool LabelPath(const std::vector<std::string>& args, std::vector<std::string>& path) {
  size_t start = 1;
  for (size_t i = 1; i <= args.size(); ++i) {
    if (i < args.size() && args[i] != "/") continue;
    if (i == start) return false;
    std::string label;
    for (size_t k = start; k < i; ++k) label += (label.empty() ? "" : " ") + args[k];
    path.push_back(label);
    start = i + 1;
  }
  return true;
}
}  // namespace

// ---- script lines ----

std::optional<int> WorldModel::TicksOf(const std::vector<std::string>& args) {
  if (args.empty() || (args[0] != "tick" && args[0] != "wait")) return std::nullopt;
  if (!Arguments(args, args[0] == "tick" ? 0 : 1, 1)) return std::nullopt;
  if (args[0] == "wait") {
    const std::optional<double> seconds = SecondsArgument(args[1]);
    if (!seconds) return std::nullopt;
    return *seconds > 0 ? static_cast<int>(std::ceil(*seconds / kTickSeconds - 1e-6)) : 0;
  }
  if (args.size() == 1) return 1;
  const std::optional<int> count = IntArgument(args[1]);
  if (!count || *count < 0) return std::nullopt;
  return count;
}

std::optional<int> WorldModel::TicksOf(const std::string& line) {
  const std::string text = TrimmedScriptLine(line);
  if (text.rfind("sim ", 0) != 0) return std::nullopt;
  return TicksOf(ScriptWords(text.substr(3)));
}

bool WorldModel::Apply(const std::string& line) {
  const std::string text = TrimmedScriptLine(line);
  if (text.empty() || text[0] == '#') return true;
  if (text == "sim" || text.rfind("sim ", 0) == 0) {
    const std::vector<std::string> args = ScriptWords(text.substr(3));
    return !args.empty() && ApplySim(args);
  }
  if (currentIndex < 0) return false;
  Type(clients[currentIndex], text);
  return true;
}

bool WorldModel::ApplySim(const std::vector<std::string>& args) {
  const std::string& command = args[0];
  ClientState* current = currentIndex < 0 ? nullptr : &clients[currentIndex];
  if (command == "client") return ApplyClient(args);
  if (command == "use") {
    if (!Arguments(args, 1, 1) || !Find(args[1])) return false;
    currentIndex = static_cast<int>(Find(args[1]) - clients.data());
    return true;
  }
  if (command == "match") {
    if (!Arguments(args, 2, 2) || matchExists || !IntArgument(args[2])) return false;
    if (args[1] != kMatch) throw std::invalid_argument("the model follows one match, named arena");
    matchExists = true;
    playlist = *IntArgument(args[2]);
    return true;
  }
  if (command == "playlist") {
    if (!Arguments(args, 2, 2) || !matchExists || args[1] != kMatch || !IntArgument(args[2])) return false;
    playlist = *IntArgument(args[2]);
    return true;
  }
  if (command == "player") return ApplyPlayer(args);
  if (command == "run" || command == "join") {
    if (!Arguments(args, 1, 1) || !current || !matchExists || args[1] != kMatch) return false;
    if (!CanEnter(*current, command == "join")) return false;
    Enter(*current, command == "join");
    return true;
  }
  if (command == "leave" || command == "nocontroller") {
    if (!Arguments(args, 0, 0) || !current) return false;
    if (command == "nocontroller") {
      current->hasController = false;
    } else {
      current->inMatch = current->online = false;
      current->carHidden.clear();
    }
    return true;
  }
  if (command == "control") {
    if (!Arguments(args, 1, 1) || !current) return false;
    current->hasController = true;
    current->controlled = args[1] == "none" ? "" : args[1];
    return true;
  }
  if (command == "viewer-team") {
    if (!Arguments(args, 1, 1) || !current || !IntArgument(args[1])) return false;
    current->viewerTeam = *IntArgument(args[1]);
    return true;
  }
  if (command == "tick" || command == "wait") {
    const std::optional<int> count = TicksOf(args);
    if (!count) return false;
    for (int i = 0; i < *count; ++i) Tick();
    return true;
  }
  if (command == "delay") {
    if (!Arguments(args, 2, 2) || (args[1] != "install" && args[1] != "network")) return false;
    const std::optional<double> seconds = SecondsArgument(args[2]);
    if (!seconds) return false;
    (args[1] == "install" ? installDelay : networkDelay) = *seconds;
    return true;
  }
  if (command == "panel" && current && (args.size() == 1 || args[1] == "Glimmerfade")) DrawPage(*current);
  if (command == "cars" || command == "console" || command == "panel") return current != nullptr;
  if (command == "restart") return ApplyRestart(args);
  if (command == "network") return ApplyNetwork(args);
  if (command == "echo") return true;
  if (command == "open" || command == "click") return ApplyPanel(args);
  if (command == "null") return ApplyNull(args);
  if (command == "netcode-var") return ApplyNetcodeVar(args);
  if (command == "incoming") return ApplyIncoming(args);
  // The readings of clock() show only in the prefixes of the bridge's lines.
  if (command == "clock") return Arguments(args, 1, 1) && (args[1] == "simulated" || args[1] == "real");
  throw std::invalid_argument("the model does not follow \"sim " + command + "\"");
}

// sim client NAME [AVAILABILITY] [netcode=VARIANT], in any order after the name.
bool WorldModel::ApplyClient(const std::vector<std::string>& args) {
  if (!Arguments(args, 1, 3) || Find(args[1])) return false;
  std::string availabilityWord = "loaded";
  NetcodeVariant variant;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i].rfind("netcode=", 0) != 0) {
      availabilityWord = args[i];
    } else if (std::optional<NetcodeVariant> named = NetcodeVariantNamed(args[i].substr(8))) {
      variant = *named;
    } else {
      return false;
    }
  }
  const std::optional<Availability> availability = AvailabilityNamed(availabilityWord);
  if (!availability) return false;
  clients.emplace_back();
  ClientState& client = clients.back();
  client.name = args[1];
  client.netcode = *availability;
  client.variant = variant;
  client.netcodeFile = *availability == Availability::Loaded || *availability == Availability::Present;
  if (*availability == Availability::Loaded) LoadNetcode(client);
  currentIndex = static_cast<int>(clients.size()) - 1;
  return true;
}

bool WorldModel::ApplyPlayer(const std::vector<std::string>& args) {
  if (args.size() < 4 || !matchExists || args[2] != kMatch) return false;
  const std::string& action = args[1];
  const std::string& name = args[3];
  auto found = std::find_if(players.begin(), players.end(), [&](const Owner& p) { return p.name == name; });
  if (action == "add") {
    Owner owner;
    owner.name = name;
    if (found != players.end() || !ApplyPlayerWords(owner, args, 4)) return false;
    players.push_back(owner);
    playerIds[name] = nextPlayerId++;
    for (ClientState& client : clients)
      if (client.inMatch && owner.hasCar) client.carHidden[name] = false;  // a new car starts shown
    return true;
  }
  if (found == players.end()) return false;
  if (action == "update") {
    Owner owner = *found;
    if (!ApplyPlayerWords(owner, args, 4)) return false;
    for (ClientState& client : clients) {
      if (!client.inMatch || owner.hasCar == found->hasCar) continue;
      if (owner.hasCar) client.carHidden[name] = false;
      if (!owner.hasCar) client.carHidden.erase(name);
    }
    *found = owner;
    return true;
  }
  if (action == "remove" && args.size() == 4) {
    players.erase(found);
    playerIds.erase(name);
    for (ClientState& client : clients) client.carHidden.erase(name);
    return true;
  }
  return false;
}

bool WorldModel::ApplyPanel(const std::vector<std::string>& args) {
  std::vector<std::string> path;
  if (args.size() < 2 || currentIndex < 0 || !LabelPath(args, path)) return false;
  ClientState& client = clients[currentIndex];
  if (!client.glimmerfadeLoaded) return false;
  std::string joined;
  for (size_t i = 1; i < args.size(); ++i) joined += (i > 1 ? " " : "") + args[i];
  const auto nodes = PanelNodes(client.namesList);
  auto node = [&](const std::string& label) {
    return std::find_if(nodes.begin(), nodes.end(), [&](const auto& n) { return n.second == label; });
  };
  if (args[0] == "open") {
    if (node(joined) == nodes.end()) return false;
    DrawPage(client);
    client.openNodes.insert(joined);
    return true;
  }
  if (path.size() == 1 && path[0] == "Enable plugin") {
    DrawPage(client);
    SetEnabled(client, Truthy(client.enabled) ? "0" : "1");
    return true;
  }
  if (path.size() != 2 || node(path[0]) == nodes.end() || !client.openNodes.count(path[0])) return false;
  const auto label = std::find(std::begin(kFlagLabels), std::end(kFlagLabels), path[1]);
  if (label == std::end(kFlagLabels)) return false;
  DrawPage(client);  // the frames before the click show the table in force
  const int slot = node(path[0])->first;
  const size_t flag = static_cast<size_t>(label - std::begin(kFlagLabels));
  client.panel[slot][flag] = !client.panel[slot][flag];
  SetInvisJson(client, EncodeTable(client.panel));
  return true;
}

// Of the objects a game can hand out as null, the model follows the plug-in manager.
bool WorldModel::ApplyNull(const std::vector<std::string>& args) {
  if (currentIndex < 0 || !Arguments(args, 1, 2)) return false;
  ClientState& client = clients[currentIndex];
  if (args[1] == "none") {
    client.nullPluginManager = false;
    return args.size() == 2;
  }
  if (args[1] != "plugin-manager")
    throw std::invalid_argument("the model does not follow \"sim null " + args[1] + "\"");
  const std::string answer = args.size() > 2 ? args[2] : "yes";
  if (answer != "yes" && answer != "no") return false;
  client.nullPluginManager = answer == "yes";
  return true;
}

// A variable of NetcodePlugin's registered late: the bridges made before it never look again.
bool WorldModel::ApplyNetcodeVar(const std::vector<std::string>& args) {
  if (currentIndex < 0 || !Arguments(args, 1, 1)) return false;
  ClientState& client = clients[currentIndex];
  const std::string& name = args[1];
  if ((name != kLogLevel && name != kMessageIn && name != kMessageOut) || client.netcodeVariables.count(name))
    return false;
  client.netcodeVariables.insert(name);
  if (name == kLogLevel) client.netcodeLevel = "1";
  return true;
}

// NetcodePlugin hands on "[CLASS]CONTENT" from a player of the client's match.
bool WorldModel::ApplyIncoming(const std::vector<std::string>& args) {
  if (currentIndex < 0 || args.size() < 3) return false;
  ClientState& client = clients[currentIndex];
  const bool named = args[1] != "none";
  if (named && (!client.inMatch || !FindPlayer(args[1]))) return false;
  std::string sent = args[2];
  for (size_t i = 3; i < args.size(); ++i) sent += " " + args[i];
  const size_t close = sent.find(']');
  if (sent[0] != '[' || close == std::string::npos || !client.netcodeVariables.count(kMessageIn))
    return false;
  const std::string incoming =
      sent.substr(0, close) + "][" + (named ? "1" : "0") + "]" + sent.substr(close + 1);
  Receive(client, incoming, named ? args[1] : "NULL");
  return true;
}

// The game closes and starts again: its plug-ins unloaded, its console
// variables, match, controller, timers, messages and settings window dropped;
// the settings file kept (the variables' values set again when they are
// registered) or emptied; NetcodePlugin made available as the client was made.
bool WorldModel::ApplyRestart(const std::vector<std::string>& args) {
  if (currentIndex < 0 || !Arguments(args, 0, 1) ||
      (args.size() == 2 && args[1] != "kept" && args[1] != "fresh"))
    return false;
  ClientState& client = clients[currentIndex];
  const bool kept = args.size() == 1 || args[1] == "kept";
  if (client.glimmerfadeLoaded) UnloadGlimmerfade(client);
  client.settingsSaved = kept && (client.settingsSaved || client.glimmerfadeVariables);
  if (kept && client.netcodeVariables.count(kLogLevel)) client.savedLevel = client.netcodeLevel;
  if (!kept) client.savedLevel.reset();
  client.glimmerfadeVariables = client.netcodeLoaded = client.installPending = false;
  client.netcodeVariables.clear();
  client.timers.clear();
  client.inbox.clear();
  client.openNodes.clear();
  client.inMatch = client.online = client.nullPluginManager = false;
  client.carHidden.clear();
  client.hasController = true;
  client.controlled.clear();
  client.viewerTeam.reset();
  client.netcodeFile = client.netcode == Availability::Loaded || client.netcode == Availability::Present;
  if (client.netcode == Availability::Loaded) LoadNetcode(client);
  return true;
}

// sim network loss PERCENT [seed=N]
bool WorldModel::ApplyNetwork(const std::vector<std::string>& args) {
  if (!Arguments(args, 2, 3) || args[1] != "loss") return false;
  char* end = nullptr;
  const double percent = std::strtod(args[2].c_str(), &end);
  if (args[2].empty() || *end != '\0' || !(percent >= 0) || percent > 100) return false;
  uint64_t seed = 1;
  if (args.size() > 3) {
    const std::string text = args[3].rfind("seed=", 0) == 0 ? args[3].substr(5) : "";
    seed = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != '\0') return false;
  }
  networkLoss.percent = percent;
  networkLoss.seed = seed;
  return true;
}

// A line typed into the client's console, as the host runs it.
void WorldModel::Type(ClientState& client, const std::string& line) {
  std::string rest;
  const std::string word = FirstWord(TrimSpace(line), rest);
  if (word == "plugin") {
    std::string plugin;
    const std::string action = FirstWord(rest, plugin);
    const bool load = action == "load";
    if (plugin == "Glimmerfade") {
      if (load) LoadGlimmerfade(client);
      if (action == "unload" && client.glimmerfadeLoaded) UnloadGlimmerfade(client);
    } else if (plugin == "NetcodePlugin") {
      if (load) LoadNetcode(client);
      if (action == "unload") client.netcodeLoaded = false;
    }
    return;
  }
  if (word == "cpm_install") {
    if (rest == "166") InstallNetcode(client);
    return;
  }
  const bool glimmerfadeVariable =
      word == "shroudweave_enabled" || word == "invis_json" || word == "names_specshortcuts";
  const bool netcodeVariable = word == kMessageIn || word == kMessageOut || word == kLogLevel;
  if (rest.empty() || (glimmerfadeVariable && !client.glimmerfadeVariables) ||
      (netcodeVariable && !client.netcodeVariables.count(word)))
    return;  // shown, or an unknown command
  const std::string value = Unquoted(rest);
  if (word == "shroudweave_enabled") SetEnabled(client, ClampedEnabled(value));
  if (word == "invis_json") SetInvisJson(client, value);
  if (word == "names_specshortcuts") client.namesList = value;
  if (word == kLogLevel) client.netcodeLevel = value;
  if (word == kMessageIn) Receive(client, value, std::nullopt);  // the sender field's address is unknown
  if (word == kMessageOut) CarryOut(client, value);
}

// ---- the host ----

const ClientState* WorldModel::Find(const std::string& name) const {
  for (const ClientState& client : clients)
    if (client.name == name) return &client;
  return nullptr;
}

const Owner* WorldModel::FindPlayer(const std::string& name) const {
  for (const Owner& player : players)
    if (player.name == name) return &player;
  return nullptr;
}

double WorldModel::Now() const { return static_cast<double>(ticks) * kTickSeconds; }

bool WorldModel::Hooked(const ClientState& client) const { return client.glimmerfadeLoaded && client.hooked; }

Viewer WorldModel::ViewerOf(const ClientState& client) const {
  const Owner* own = client.inMatch && !client.controlled.empty() ? FindPlayer(client.controlled) : nullptr;
  Viewer viewer;
  viewer.team = client.viewerTeam ? static_cast<unsigned char>(*client.viewerTeam) : own ? own->team : 255;
  viewer.hasEntry = own != nullptr;
  viewer.ownShortcut = own ? own->shortcut : 0;
  viewer.ownHasCar = own && own->hasCar;
  return viewer;
}

bool WorldModel::InFlight() const {
  for (const ClientState& client : clients)
    if (!client.tasks.empty() || !client.inbox.empty()) return true;
  return false;
}

// A draw of the page shows the table in force: the first 9 x 3 flags of a
// table in "invis_json" that has them; otherwise the panel keeps its own.
void WorldModel::DrawPage(ClientState& client) {
  const Decoded decoded = DecodeTable(client.invisJson);
  if (!client.glimmerfadeLoaded || !IsComplete(decoded)) return;
  for (size_t n = 0; n < client.panel.size(); ++n)
    client.panel[n].assign(decoded.rows[n].begin(), decoded.rows[n].begin() + 3);
}

void WorldModel::DrawPages() {
  for (ClientState& client : clients) DrawPage(client);
}

void WorldModel::ClearExpectations() {
  for (ClientState& client : clients) client.expected = ConsoleExpectations();
}

// Every client's turn in creation order: due timers, arrived messages, tasks
// queued before the turn, then the vehicle-input passes.
void WorldModel::Tick() {
  ++ticks;
  for (ClientState& client : clients) Turn(client);
}

void WorldModel::Turn(ClientState& client) {
  const double now = Now() + kTimeSlack;
  const uint64_t setBeforeTurn = client.nextSeq;
  for (;;) {
    auto due = client.timers.end();
    for (auto it = client.timers.begin(); it != client.timers.end(); ++it) {
      if (it->seq >= setBeforeTurn) continue;
      if (due == client.timers.end() || std::make_pair(it->due, it->seq) < std::make_pair(due->due, due->seq))
        due = it;
    }
    if (due == client.timers.end() || due->due > now) break;
    const ClientState::TimerKind kind = due->kind;
    client.timers.erase(due);
    if (kind == ClientState::TimerKind::Install) {
      client.installPending = false;
      client.netcodeFile = true;
    } else if (kind == ClientState::TimerKind::Detection) {
      DetectionPass(client, false);
    } else {
      CheckResend(client);
    }
  }
  while (!client.inbox.empty() && client.inbox.front().due <= now) {
    const ClientState::Delivery delivery = client.inbox.front();
    client.inbox.pop_front();
    Deliver(client, delivery);
  }
  const uint64_t queuedBeforeTurn = client.nextSeq;
  while (!client.tasks.empty() && client.tasks.front().seq < queuedBeforeTurn) {
    const ClientState::Task task = client.tasks.front();
    client.tasks.pop_front();
    if (task.send)
      SendTable(client);
    else
      client.hooked = Truthy(client.enabled);
  }
  EnforcementPass(client);
}

void WorldModel::AddTimer(ClientState& client, double delay, ClientState::TimerKind kind) {
  client.timers.push_back({Now() + delay, client.nextSeq++, kind});
}

// A match has one host, which does not join it; a client that joined it does not host it.
bool WorldModel::CanEnter(const ClientState& client, bool online) const {
  if (client.inMatch && client.online != online) return false;
  return online || std::none_of(clients.begin(), clients.end(), [&](const ClientState& other) {
           return &other != &client && other.inMatch && !other.online;
         });
}

void WorldModel::Enter(ClientState& client, bool online) {
  client.roster.reset();
  client.inMatch = true;
  client.online = online;
  client.carHidden.clear();
  for (const Owner& player : players)
    if (player.hasCar) client.carHidden[player.name] = false;
}

// "cpm_install 166": the file appears after the install delay, for a client that can get it.
void WorldModel::InstallNetcode(ClientState& client) {
  if (client.netcodeFile || client.netcode != Availability::Installable || client.installPending) return;
  client.installPending = true;
  AddTimer(client, installDelay, ClientState::TimerKind::Install);
}

// The parsed message names the sender when its address is a player entry of
// the receiver's current game: the receiver's replica of that player.
std::string WorldModel::SenderName(const ClientState& receiver, int senderId) const {
  if (senderId == 0 || !receiver.inMatch) return "NULL";
  for (const auto& [name, id] : playerIds)
    if (id == senderId) return name;
  return "NULL";
}

// ---- Glimmerfade ----

// The load hook makes a bridge (whose first detection pass runs at once) and
// registers the variables; on every load but the first (and the first after a
// restart over kept settings) the host then sets them again to their saved
// values, which runs their callbacks (the switch's first).
void WorldModel::LoadGlimmerfade(ClientState& client) {
  if (client.glimmerfadeLoaded) return;
  client.glimmerfadeLoaded = true;
  client.bridgeReady = false;
  client.panel = DefaultTable();
  client.roster.reset();
  DetectionPass(client, /*reset=*/true);
  if (client.netcodeVariables.count(kLogLevel)) client.netcodeLevel = "1";
  client.secondsSinceChange = 20;
  client.bridgeWasReady = client.bridgeReady;
  AddTimer(client, 1.0, ClientState::TimerKind::ResendCheck);
  const bool saved = client.glimmerfadeVariables || client.settingsSaved;
  client.glimmerfadeVariables = true;
  if (!saved) {
    client.enabled = "0";
    client.invisJson.clear();
    client.namesList.clear();
    return;
  }
  SetEnabled(client, client.enabled);
  SetInvisJson(client, client.invisJson);
}

// The host drops the plug-in's hook, callbacks, timers and tasks.
void WorldModel::UnloadGlimmerfade(ClientState& client) {
  client.glimmerfadeLoaded = false;
  client.bridgeReady = false;
  client.hooked = false;
  client.tasks.clear();
  client.timers.erase(std::remove_if(client.timers.begin(), client.timers.end(),
                                     [](const ClientState::Timer& timer) {
                                       return timer.kind != ClientState::TimerKind::Install;
                                     }),
                      client.timers.end());
}

// Every change queues a task on the match's host (any client not in an
// online game); online clients queue nothing.
void WorldModel::SetInvisJson(ClientState& client, const std::string& text) {
  client.invisJson = text;
  if (client.glimmerfadeLoaded && !client.IsOnline()) QueueSend(client);
}

void WorldModel::QueueSend(ClientState& client) { client.tasks.push_back({client.nextSeq++, true}); }

// Every change queues a task that hooks or unhooks by the value it then finds.
void WorldModel::SetEnabled(ClientState& client, const std::string& value) {
  client.enabled = value;
  if (client.glimmerfadeLoaded) client.tasks.push_back({client.nextSeq++, false});
}

// The task sends the table "invis_json" holds when it runs, if it holds a
// complete one (or none: then the table that shows every car) and the client
// is still not in an online game. A change starts the quick repeats again.
void WorldModel::SendTable(ClientState& client) {
  client.secondsSinceChange = 0;
  if (client.IsOnline()) return;
  const Decoded decoded = DecodeTable(client.invisJson);
  if (decoded.kind == Decoded::Kind::WrongShape)
    client.expected.prefixes.insert("invis_json does not hold a visibility table: ");
  if (decoded.kind == Decoded::Kind::Rows && !IsComplete(decoded))
    client.expected.lines.insert("invis_json holds fewer than 9 entries of 3 flags; nothing sent");
  const std::optional<std::string> message = MessageToSend(client.invisJson);
  if (!message) return;
  client.expected.sends.push_back("Sending netcode message " + *message);
  Send(client, *message);
}

// Once a second: the host of a match with someone else in it sends its table
// again, silently, when a repeat is due or its bridge has just become ready;
// outside a match it runs, it forgets the roster.
void WorldModel::CheckResend(ClientState& client) {
  AddTimer(client, 1.0, ClientState::TimerKind::ResendCheck);
  const bool becameReady = client.bridgeReady && !client.bridgeWasReady;
  client.bridgeWasReady = client.bridgeReady;
  bool due = RepeatDue(++client.secondsSinceChange);
  const bool runsMatch = client.inMatch && !client.online;
  if (!runsMatch) client.roster.reset();
  if (becameReady) {
    client.secondsSinceChange = 0;
    due = true;
  }
  if (!due || !client.bridgeReady || !runsMatch || !OthersInMatch(client)) return;
  if (const std::optional<std::string> message = MessageToSend(client.invisJson)) Send(client, *message);
}

// Anyone in the match but the player this client controls.
bool WorldModel::OthersInMatch(const ClientState& client) const {
  const Owner* own =
      client.hasController && !client.controlled.empty() ? FindPlayer(client.controlled) : nullptr;
  return std::any_of(players.begin(), players.end(), [&](const Owner& p) { return &p != own; });
}

// The vehicle-input event is raised once per car of the match, so a client
// whose match has no car runs no pass.
void WorldModel::EnforcementPass(ClientState& client) {
  const bool anyCar = std::any_of(players.begin(), players.end(), [](const Owner& p) { return p.hasCar; });
  if (!Hooked(client) || !client.inMatch || !anyCar || !client.hasController) return;
  if (!Enforces(client.online, playlist)) return;
  // The client that runs the match sends its table again when its players
  // change (one joined or left, or this is the first pass in the match) and
  // someone besides its own player is there.
  std::vector<int> roster;
  for (const Owner& player : players) roster.push_back(playerIds.at(player.name));
  if (!client.online && client.roster != roster) {
    client.roster = roster;
    if (OthersInMatch(client)) QueueSend(client);
  }
  const PassResult result = Pass(DecodeTable(client.invisJson), client.online, ViewerOf(client), players);
  client.namesList = result.namesList;
  if (result.wrongShape) client.expected.prefixes.insert("invis_json does not hold a visibility table: ");
  for (const std::string& line : result.lines) Require(client, line);
  for (const auto& [name, state] : result.cars)
    if (state != CarState::Untouched) client.carHidden[name] = state == CarState::Hidden;
}

}  // namespace model
