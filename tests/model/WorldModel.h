#pragma once

// A corvane-sim script followed line by line next to the simulator: the
// clients, their modules, the match, the clock, the messages in flight, and
// what every client should show and hold. It follows the simulated host's
// documented behaviour (console, game loop, network, saved settings) and
// Glimmerfade's rules (VisibilityRules.h); it never asks the plug-in anything.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/world/NetworkLoss.h"
#include "model/VisibilityRules.h"

namespace model {

enum class Availability { Loaded, Present, Installable, Unavailable };

// What a client's console may show beyond the host's own lines, gathered
// between two checks.
struct ConsoleExpectations {
  std::vector<std::string> sends;  // "Sending netcode message ..." lines, in order
  std::set<std::string> lines;     // other lines of the plug-in that may appear
  std::set<std::string> prefixes;  // lines that may appear with any ending
  std::set<std::string> required;  // lines among them that must appear at least once
  std::set<std::string>
      requiredAtLevel;  // lines among them that must appear after "(A: CLOCK)   " or "(C: CLOCK)   "
};

// The variables a NetcodePlugin module registers, and whether the host lists
// it under the class name "NetcodePlugin".
struct NetcodeVariant {
  std::string name = "standard";  // as "sim client ... netcode=" names it
  bool listed = true;
  bool level = true;
  bool in = true;
  bool out = true;
};

struct ClientState {
  std::string name;
  Availability netcode = Availability::Unavailable;
  NetcodeVariant variant;

  // Modules. Console variables stay with the host once registered.
  bool glimmerfadeLoaded = false;
  bool glimmerfadeVariables = false;
  bool netcodeFile = false;
  bool netcodeLoaded = false;
  std::set<std::string> netcodeVariables;  // NetcodePlugin's variables that exist
  std::string netcodeLevel = "1";          // the value of "NETCODE_Log_Level"
  std::optional<std::string> savedLevel;   // its value in the settings file, set again when it is registered
  bool installPending = false;
  bool nullPluginManager = false;

  // The bridge of the loaded Glimmerfade.
  bool bridgeReady = false;
  int detectionPasses = 0;

  // Glimmerfade's console variables, and whether the settings file holds them
  // (set again when they are registered).
  bool settingsSaved = false;
  std::string enabled = "0";
  std::string invisJson;
  std::string namesList;

  // World: this client's replica and controller.
  bool inMatch = false;
  bool online = false;
  bool hasController = true;
  std::string controlled;
  std::optional<int> viewerTeam;
  std::map<std::string, bool> carHidden;  // the cars of the replica, by owner: hidden?

  // Settings window: nodes opened in the host's context, and the panel's table.
  std::set<std::string> openNodes;
  Table panel = DefaultTable();

  // The players, by id, of the match this client ran at the last pass that
  // walked its roster; nullopt when the next such pass cannot find the same
  // (the module is new, or the client entered a match and has a new replica).
  std::optional<std::vector<int>> roster;

  // When the match's host sends its table again: whole seconds since its last
  // change (it starts in the steady rhythm), and whether its bridge was ready
  // at the last check.
  int64_t secondsSinceChange = 20;
  bool bridgeWasReady = false;

  // Game loop.
  // The host's install of NetcodePlugin, the bridge's detection pass, or
  // Glimmerfade's check, once a second, whether its table is due again.
  enum class TimerKind { Install, Detection, ResendCheck };
  struct Timer {
    double due = 0;
    uint64_t seq = 0;
    TimerKind kind = TimerKind::Detection;
  };
  // A game-thread task that a change queued: it sends the table "invis_json"
  // holds when it runs, or hooks or unhooks as "shroudweave_enabled" says then.
  struct Task {
    uint64_t seq = 0;
    bool send = true;
  };
  struct Delivery {
    double due = 0;
    std::string payload;  // what the sender wrote into "NETCODE_Message_Out"
    int senderId = 0;     // the player the sending client controlled, 0 for none
  };
  std::vector<Timer> timers;
  std::deque<Task> tasks;
  std::deque<Delivery> inbox;
  uint64_t nextSeq = 0;
  bool hooked = false;  // the vehicle-input event, by the last enable task

  ConsoleExpectations expected;

  bool IsOnline() const { return inMatch && online; }
};

class WorldModel {
 public:
  static constexpr const char* kMatch = "arena";

  // Follows one script line. Returns false, changing nothing, when the
  // simulator would report the line as an error. Throws std::invalid_argument
  // for a line the model does not know.
  bool Apply(const std::string& line);
  // The ticks a "sim tick" or "sim wait" line runs; nullopt for any other line.
  static std::optional<int> TicksOf(const std::string& line);

  const std::vector<ClientState>& Clients() const { return clients; }
  const ClientState* Find(const std::string& name) const;
  const ClientState* Current() const { return currentIndex < 0 ? nullptr : &clients[currentIndex]; }
  bool MatchExists() const { return matchExists; }
  int Playlist() const { return playlist; }
  const std::vector<Owner>& Players() const { return players; }
  const Owner* FindPlayer(const std::string& name) const;
  int64_t Ticks() const { return ticks; }
  double NetworkDelay() const { return networkDelay; }

  bool Hooked(const ClientState& client) const;
  Viewer ViewerOf(const ClientState& client) const;
  bool InFlight() const;                                  // messages queued or travelling
  size_t TablesApplied() const { return tablesApplied; }  // received tables stored by online clients
  void ClearExpectations();
  // Every client's page drawn, as a free-running render thread draws them.
  void DrawPages();

 private:
  static std::optional<int> TicksOf(const std::vector<std::string>& args);
  bool ApplySim(const std::vector<std::string>& args);
  bool ApplyClient(const std::vector<std::string>& args);
  bool ApplyPlayer(const std::vector<std::string>& args);
  bool ApplyPanel(const std::vector<std::string>& args);
  bool ApplyNull(const std::vector<std::string>& args);
  bool ApplyNetcodeVar(const std::vector<std::string>& args);
  bool ApplyIncoming(const std::vector<std::string>& args);
  bool ApplyRestart(const std::vector<std::string>& args);
  bool ApplyNetwork(const std::vector<std::string>& args);
  void Type(ClientState& client, const std::string& line);

  // The host.
  double Now() const;
  void Tick();
  void Turn(ClientState& client);
  void AddTimer(ClientState& client, double delay, ClientState::TimerKind kind);
  bool CanEnter(const ClientState& client, bool online) const;
  void Enter(ClientState& client, bool online);
  void InstallNetcode(ClientState& client);
  std::string SenderName(const ClientState& receiver, int senderId) const;

  // NetcodePlugin (NetcodeModel.cpp).
  void LoadNetcode(ClientState& client);
  void CarryOut(ClientState& client, const std::string& payload);
  void Deliver(ClientState& client, const ClientState::Delivery& delivery);

  // Glimmerfade.
  void LoadGlimmerfade(ClientState& client);
  void UnloadGlimmerfade(ClientState& client);
  void SetInvisJson(ClientState& client, const std::string& text);
  void SetEnabled(ClientState& client, const std::string& value);
  void DrawPage(ClientState& client);
  void QueueSend(ClientState& client);
  void SendTable(ClientState& client);
  void CheckResend(ClientState& client);
  bool OthersInMatch(const ClientState& client) const;
  void EnforcementPass(ClientState& client);
  // Glimmerfade's bridge (NetcodeModel.cpp).
  void DetectionPass(ClientState& client, bool reset);
  void Detected(ClientState& client);
  void Send(ClientState& client, const std::string& message);
  // sender: the name the parsed message shows, when the model knows it.
  void Receive(ClientState& client, const std::string& incoming, const std::optional<std::string>& sender);

  std::vector<ClientState> clients;
  int currentIndex = -1;
  bool matchExists = false;
  int playlist = 0;
  std::vector<Owner> players;
  std::map<std::string, int> playerIds;  // as the simulator numbers a match's players
  int nextPlayerId = 1;
  int64_t ticks = 0;
  double installDelay = 1.5;
  double networkDelay = 0.05;
  sim::NetworkLoss networkLoss;  // the simulator's own rule of which messages are lost
  uint64_t messagesSent = 0;
  size_t tablesApplied = 0;
};

}  // namespace model
