#pragma once

// The simulated Corvane host: several game clients in one process, each with its
// own data folder, console, console variables, loaded plug-in modules, game-loop
// queue and Dear ImGui settings window; matches whose objects every client that
// takes part sees through its own replicas; one simulated clock.
//
// This is the host side. Plug-ins reach it only through the SDK (sdk/); tests,
// the simulator command, the simulated peers and the page use this header. It
// is the host's public face, above every room of host/, which it composes
// (host/facade/); no room includes it.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/base/HostValues.h"
#include "host/base/SimApi.h"
#include "host/pictures/MatchScene.h"

class CVarManagerWrapper;
class GameWrapper;

namespace sim {

class Client;
class Match;
class SettingsWindow;

// A line of one client's console, with its place among the lines of every
// client: the order in which the host wrote them, whichever thread wrote them.
struct ConsoleLine {
  const Client* client = nullptr;
  uint64_t order = 0;  // lines written on every client's console before this one
  std::string text;
};

class CORVANE_SIM_API Simulation {
 public:
  // root: folder under which each client's data folder is made.
  // moduleDir: where built plug-in modules (Glimmerfade.dll or .so, NetcodePlugin.dll or .so) are found.
  explicit Simulation(std::filesystem::path root, std::filesystem::path moduleDir = CORVANE_SIM_MODULE_DIR);
  ~Simulation();
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  Client& AddClient(const std::string& name);
  Client* FindClient(const std::string& name);
  std::vector<Client*> Clients();

  // Every client's console lines from the given place on (0: from the first),
  // clients interleaved in the order the lines were written. None is missing
  // up to the last line returned: the next call can start at its order + 1.
  std::vector<ConsoleLine> ConsoleLinesFrom(uint64_t order) const;

  Match& CreateMatch(const std::string& name, int playlistId);
  Match* FindMatch(const std::string& name);

  // Simulated clock, seconds since start.
  double Now() const;
  // One physics tick (1/120 s): advance the clock, then for each client in
  // creation order run due timers, network payloads that have arrived and
  // queued game-thread tasks, then raise the vehicle-input event once per car
  // of its match (when something hooks it).
  void Tick(int count = 1);
  // Advance the clock by whole ticks covering the given seconds.
  void AdvanceSeconds(double seconds);
  // Run timers and tasks that are due without moving the clock or raising events.
  void RunPending();

  // Threads, as in a game. The thread that makes the simulation is its game
  // thread: it ticks, and runs console commands, hooks, timers and tasks
  // (commands that plug-in code runs on another thread wait for its next
  // turn). Settings windows are drawn and pictures taken on the render thread,
  // and every call that draws, clicks or pictures a page waits for it there.
  // An on-change callback runs on the thread that set the variable.
  //
  // Free-running, the render thread also draws every client's settings window
  // on its own, framesPerSecond times a second (0: as often as it can), while
  // the game ticks. In a build without threads (WebAssembly) it draws them once
  // after every tick instead.
  void SetRenderFreeRunning(bool free, double framesPerSecond = 60);
  bool RenderFreeRunning() const;
  // Frames the render thread has drawn on its own, each of every client's window.
  uint64_t FreeRunningFrames() const;
  // Runs job on the render thread and returns once it has run (at once in a
  // build without threads): for whatever draws with the host's Dear ImGui.
  void OnRenderThread(const std::function<void()>& job);
  // Saves the scenes (Client::Scene) side by side as a PNG picture of match
  // views, drawn on the render thread. scale 2 (up to 4) makes every side
  // twice as long. Returns "" once the file is written, otherwise why it was not.
  std::string SaveMatchViewPicture(const std::vector<MatchScene>& scenes, const std::filesystem::path& file,
                                   int scale = 1);

  std::filesystem::path ModuleDir() const;
  // Delay between a "cpm_install" and the file appearing, and network latency.
  void SetInstallDelay(double seconds);
  void SetNetworkDelay(double seconds);
  double NetworkDelay() const;
  // Each message between two clients is lost with this chance (0 to 100
  // percent), drawn from the seed: the same seed loses the same messages.
  void SetNetworkLoss(double percent, uint64_t seed);
  // Messages sent over the simulated network so far: each send to the other
  // clients of the sender's match counts once, lost or not.
  uint64_t MessagesSent() const;
  // What plug-in modules read with clock(): the process's own processor clock
  // (the default), or this simulation's, which advances with Tick, 1/120 s of
  // processor time a tick, from 0 when the simulation began. One for the process.
  void UseSimulatedProcessorClock(bool simulated);

  // Wrapper calls made with an address that held no live game object (a
  // made-up or stale address); such calls read defaults. Counted over the process.
  static size_t UnknownObjectLookups();
  // Faults (see Client::Faults) of calls made outside every plug-in's code, by
  // a test or a tool: no client's console takes them, so each is written to
  // standard error. Counted over the process.
  static size_t UnattributedFaults();

  struct Impl;

 private:
  std::unique_ptr<Impl> pimpl;
};

class CORVANE_SIM_API Match {
 public:
  const std::string& Name() const;
  int PlaylistId() const;
  void SetPlaylistId(int id);
  // Adds a player entry; its objects appear in every client's replica. Names
  // may repeat; the id tells players apart.
  Player& AddPlayer(const PlayerSetup& setup);
  // By name: the first player of that name, in the order they were added.
  void RemovePlayer(const std::string& name);
  Player* FindPlayer(const std::string& name);
  void UpdatePlayer(const std::string& name, const PlayerSetup& setup);
  // By id.
  void RemovePlayer(int id);
  Player* FindPlayer(int id);
  void UpdatePlayer(int id, const PlayerSetup& setup);
  std::vector<Player*> Players();
  // Whether the match has a car array at all (true by default).
  void SetHasCarArray(bool hasCars);

  struct Impl;
  explicit Match(std::unique_ptr<Impl> impl);
  ~Match();

 private:
  friend class Simulation;
  friend class Client;
  std::unique_ptr<Impl> pimpl;
};

class CORVANE_SIM_API Client {
 public:
  const std::string& Name() const;
  std::filesystem::path DataFolder() const;     // what GetCorvanePath returns
  std::filesystem::path PluginsFolder() const;  // DataFolder()/"plugins"

  // Console. Runs one line as the user typing it would: echoes it as "] LINE",
  // then executes it.
  void RunCommand(const std::string& line);
  // Every console line of this client, in order.
  std::vector<std::string> Console() const;
  size_t ConsoleSize() const;
  // Lines written since the given index.
  std::vector<std::string> ConsoleSince(size_t index) const;

  // Host-side view of console variables.
  std::optional<std::string> CvarValue(const std::string& name) const;
  bool SetCvar(const std::string& name, const std::string& value);

  // Plug-in modules. Install copies moduleDir/NAME.dll (.so on Linux) into the
  // plugins folder, also over a loaded copy, which keeps running until unloaded;
  // or moduleDir/FROM.dll under the name NAME.dll.
  bool InstallPluginFile(const std::string& name);
  bool InstallPluginFile(const std::string& name, const std::string& fromModule);
  // As "plugin load NAME" and "plugin unload NAME". Only the game thread
  // loads and unloads: from another thread the command is handed to it for
  // its next turn, and the result says whether it was handed over.
  bool LoadPlugin(const std::string& name);
  bool UnloadPlugin(const std::string& name);
  bool IsPluginLoaded(const std::string& name) const;
  void SetNetcodeAvailability(NetcodeAvailability availability);
  // The module that is installed as this client's NetcodePlugin file, loaded or
  // installed by SetNetcodeAvailability and "cpm_install 166" (default
  // "NetcodePlugin"; a variant such as "NetcodePluginNoIn"). Set it first.
  void SetNetcodeModule(const std::string& moduleName);
  const std::string& NetcodeModule() const;
  // Event hooks currently installed (event names), for tests.
  std::vector<std::string> HookedEvents() const;
  size_t PendingTimers() const;
  size_t PendingTasks() const;

  // Closes the game and starts it again, as a user restarting it: every
  // plug-in is unloaded and the saved settings written; console variables,
  // hooks, timers, tasks, listeners, the settings window, the match and the
  // world settings are dropped; the console keeps its lines. keepData false
  // starts with an empty data folder (no plug-in files, no saved settings).
  // NetcodePlugin is then made available as before. False, with the reason on
  // the console: doing nothing, while plug-in code runs or off the game
  // thread; with the game closed and nothing started, when the data folder
  // cannot be emptied or made.
  bool Restart(bool keepData);

  // World. Run: this client hosts the match (IsInGame, GetGameEventAsServer).
  // Join: this client is in the match online (IsInOnlineGame, GetOnlineGame).
  // Only in worlds a game can be in: std::invalid_argument, changing nothing,
  // when another client runs the match, or when this client is to run a match
  // it joined or join a match it runs. A match that no client runs can be
  // joined (a dedicated server's).
  void RunMatch(Match& match);
  void JoinMatch(Match& match);
  void LeaveMatch();
  Match* CurrentMatch() const;
  bool IsOnline() const;
  // The local player controller controls this player ("" : controller with no
  // player entry, team 255). Without a controller: SetNoController(). By name:
  // the first player of that name in the match the client is in, looked up
  // again whenever the match changes; by id: that player of the current match.
  void Control(const std::string& playerName);
  void ControlPlayer(int playerId);
  void SetNoController();
  // Overrides the controller's team number (defaults to the player's team).
  void SetViewerTeam(int team);
  // Hands out a world object as null from now on (or again as it is). Kept
  // across matches until changed.
  void SetNullObject(WorldObject object, bool null);
  bool IsNullObject(WorldObject object) const;

  // Per-client hidden flag of a player's car replica (nullopt: no such car).
  // By name: the first player of that name.
  std::optional<bool> CarHidden(const std::string& playerName) const;
  std::optional<bool> CarHidden(int playerId) const;
  // Address of this client's replica of a player's entry (0: none).
  uintptr_t PriAddress(const std::string& playerName) const;
  uintptr_t PriAddress(int playerId) const;
  // Destroys this client's replica of the player's car (the first player of
  // that name) while the player's entry goes on handing out its address, as
  // an entry that still points at a destroyed car would in the game: for
  // tests of what plug-in code does with a dead object. The next change of
  // the match gives the player a car again. Returns the car's address (0: the
  // player has no car).
  uintptr_t DestroyCarKeepingItsAddress(const std::string& playerName);
  // Raises the vehicle-input event once on this client (runs post-hooks).
  void RaiseVehicleInput();
  // Raises any game event once on this client (runs its post-hooks).
  void RaiseEvent(const std::string& eventName);

  // Host-owned wrappers for tests and tools; what is registered through them
  // outside a plug-in call belongs to no plug-in.
  std::shared_ptr<CVarManagerWrapper> CvarManager();
  std::shared_ptr<GameWrapper> Game();
  std::optional<CvarInfo> DescribeCvar(const std::string& name) const;
  // Every console command run on this client (typed or by a plug-in), in order.
  std::vector<std::string> CommandHistory() const;
  // Exceptions from plug-in calls that the host caught and reported.
  size_t EscapedExceptions() const;
  // Faults of this client's plug-in code: calls of a game-object wrapper on
  // an address that holds no live object of its kind (null, destroyed, never
  // handed out, or another kind), each reported at once as a console line
  // "fault: CALL on ADDRESS, which holds no live KIND (WHY)"; the call returns
  // a default. A client is strict from the start; one that is not forgives
  // such calls silently and takes such addresses for null wrappers, as the
  // host once did for every client.
  size_t Faults() const;
  void SetStrict(bool strict);
  bool IsStrict() const;
  HostRegistrations Registrations() const;
  // The same registrations in detail, per owner: each loaded plug-in in load
  // order, then the host's own and anything left by unloaded plug-ins (those
  // two only when they hold something).
  std::vector<HostHoldings> Holdings() const;
  std::vector<std::string> LoadedPlugins() const;  // names, in load order
  // Writes the saved console variables to DataFolder()/"config.cfg" now (the
  // host also does it after every game-loop turn and console line that changed
  // one). Only the game thread writes the file: from another thread it is
  // written at the game thread's next turn.
  void SaveConfig();

  // Settings window: draws every loaded plug-in's panel headless with this
  // client's Dear ImGui context, and returns a readable description of what
  // was drawn.
  std::string DrawSettings(const std::string& pluginName = "Glimmerfade");
  // Clicks the widget at the label path (e.g. {"Bob", "Visible to Opponents"})
  // with simulated mouse input; false if it cannot be found. Each label is
  // what the page shows; "Sam#2" names the second of several "Sam" at that
  // level when no widget shows "Sam#2" itself.
  bool ClickWidget(const std::string& pluginName, const std::vector<std::string>& labelPath);
  // While withheld, pages are drawn without the host first handing its Dear
  // ImGui context to plug-in objects that have not had it yet (they keep no
  // current context of their own); afterwards it is handed before the next draw.
  void WithholdSettingsContext(bool withhold);
  // Whether the tree node at the label path is open (nullopt: no such node shown).
  std::optional<bool> SettingsNodeOpen(const std::string& pluginName,
                                       const std::vector<std::string>& labelPath);
  // Saves the plug-in's settings page as a PNG picture of the window as it is
  // drawn now, the mouse resting where the last click left it (a tooltip it
  // rests on shows). scale 2 (up to 4) makes every side twice as long; crop
  // keeps only the window's upper left part that holds what was drawn.
  // Returns "" once the file is written, otherwise why it was not.
  std::string SaveSettingsPicture(const std::filesystem::path& file,
                                  const std::string& pluginName = "Glimmerfade", int scale = 1,
                                  bool crop = false);

  // What the client's screen shows of its match: its cars, each hidden or
  // shown on this client (host/pictures/MatchView.h draws it).
  MatchScene Scene() const;
  // The client's settings window itself (host/settings/SettingsWindow.h),
  // made on first use: for a front-end that draws its frames (the browser
  // page) and for a test that offers it a page of its own. Render thread only
  // (Simulation::OnRenderThread).
  SettingsWindow& SettingsWindowOnRenderThread();

  struct Impl;
  explicit Client(std::unique_ptr<Impl> impl);
  ~Client();

 private:
  friend class Simulation;
  std::unique_ptr<Impl> pimpl;
};

}  // namespace sim
