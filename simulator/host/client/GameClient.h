#pragma once

// GameClient: one simulated game client, composed of its rooms: its view of
// the match (ClientMatch), its plug-in modules (Plugins), its game loop
// (GameLoop), its console (Console) and its settings window
// (ClientSettings). It owns what spans them: the client's name and data
// folder, NetcodePlugin's availability and the package install, a restart,
// whether calls on dead game objects are forgiven, and the turn that runs the
// rooms in order. Each room reaches another only through the references it
// was made with. The simulation's clients (host/client/GameClients.h) make and
// walk it; the wrappers (host/wrappers/) reach it through their handles.

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "host/base/HostValues.h"
#include "host/console/Console.h"
#include "host/loop/GameLoop.h"
#include "host/modules/Plugins.h"
#include "host/settings/ClientSettings.h"
#include "host/world/ClientMatch.h"
#include "host/world/World.h"

namespace sim {

class GameClients;

struct GameClient final : PluginsClient {
  GameClient(World& ofWorld, GameClients& ofClients, std::string clientName, std::filesystem::path folder);
  ~GameClient();
  GameClient(const GameClient&) = delete;
  GameClient& operator=(const GameClient&) = delete;

  World& world;
  GameClients& clients;  // the simulation's clients, this one among them
  const std::string name;
  const std::filesystem::path dataFolder;

  // The rooms, each made with the ones it uses.
  ClientMatch match;
  Plugins plugins;
  GameLoop loop;
  Console console;
  ClientSettings settings;

  // The game thread's turn (host/client/ClientTurn.cpp): first what other
  // threads handed it, then due timers, network payloads and tasks, then one
  // vehicle-input event per car; the settings file last.
  void RunTurn(bool raiseEvents);
  // Game thread only, outside every plug-in call of this client
  // (host/client/ClientRestart.cpp); false, with the reason on the console,
  // elsewhere or when the data folder cannot be made.
  bool Restart(bool keepData);
  // Makes the data folder with its plugins folder, emptied first if asked;
  // false, with the reason on the console, when it cannot.
  bool MakeDataFolder(bool emptied);
  // Runs (online: joins) the match, or throws std::invalid_argument, changing
  // nothing, in a world no game can be in (host/client/MatchEntry.cpp).
  void EnterMatch(WorldMatch& entered, bool online);

  // NetcodePlugin and packages (host/client/ClientCommands.cpp).
  NetcodeAvailability netcode = NetcodeAvailability::Unavailable;
  std::string netcodeModule = "NetcodePlugin";  // installed as the NetcodePlugin file
  bool installPending = false;
  bool InstallNetcodeFile();
  void ApplyNetcodeAvailability();

  // Calls of this client's plug-in code on an address that holds no live
  // object of the wrapper's kind (host/wrappers/ObjectFaults.cpp): reported
  // and counted while strict, forgiven silently otherwise.
  std::atomic<bool> strict{true};
  std::atomic<size_t> faults{0};
  void SetStrict(bool on);

  // What plug-ins have registered with the client, counted and per owner
  // (host/client/ClientHoldings.cpp); any thread.
  HostRegistrations Registrations() const;
  std::vector<HostHoldings> Holdings() const;

  // What the plug-in modules ask of their client.
  void Log(std::string line) override { console.Log(std::move(line)); }
  void HandToGameThread(const std::string& command) override { console.ExecuteCommand(command); }
  void Loaded(PluginRecord& record) override { console.RestoreSavedValues(record); }
  void DropRegistrations(PluginRecord* owner) override;

 private:
  void AddCommands();
  void PluginCommand(const std::string& arguments);
  void InstallPackage(const std::string& id);
  void DropEverything();
};

// Clients that forgive calls on dead game objects; while there are none,
// nothing needs to ask which client's code is running (host/wrappers/ObjectFaults.h).
extern std::atomic<int> forgivingClients;

// The client behind a handle of its wrappers, and the client whose plug-in
// code runs on this thread (nullptr: none). Every client the plug-in modules
// know (PluginsClient) is a GameClient.
inline GameClient& ClientOf(const HostHandle& handle) { return static_cast<GameClient&>(*handle.client); }
inline GameClient* RunningGameClient() { return static_cast<GameClient*>(RunningClient()); }

}  // namespace sim
