#pragma once

// Internal state of one simulated client: console, console variables, loaded
// plug-in modules, game-loop queues, and its replica of the match it is in.
// Shared by the host's rooms: client, console, modules, world, wrappers, settings.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/Simulation.h"
#include "host/client/RunningClient.h"
#include "host/console/CvarImpl.h"
#include "host/world/GameObjects.h"
#include "host/world/SimulationImpl.h"
#include "pluginsdk.h"

namespace sim {

struct PluginRecord;
class SettingsWindow;

// What the addresses of the host's CVarManagerWrapper, GameWrapper and
// PluginManagerWrapper objects point at. Handles live as long as their client;
// a revoked handle (its plug-in was unloaded) makes every call harmless.
struct HostHandle {
  HostHandle(Client::Impl* handleClient, PluginRecord* handleOwner)
      : client(handleClient), owner(handleOwner) {}
  Client::Impl* const client;
  PluginRecord* const owner;  // nullptr: the host's own handle
  std::atomic<bool> revoked{false};
};

// The handle behind a wrapper's address, or nullptr when there is none or its
// plug-in was unloaded.
inline HostHandle* LiveHandle(uintptr_t address) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the SDK's wrappers carry the host's objects as addresses
  auto* handle = reinterpret_cast<HostHandle*>(address);
  return handle && !handle->revoked.load(std::memory_order_acquire) ? handle : nullptr;
}

// One loaded plug-in module of a client.
struct PluginRecord {
  std::string name;  // as in "plugin load NAME"
  std::filesystem::path file;
  void* module = nullptr;  // OpenModule's handle of this client's own copy of the file
  PluginDescriptor* descriptor = nullptr;
  std::shared_ptr<Corvane::Plugin::CorvanePlugin> plugin;  // the host's copy of the instance
  std::shared_ptr<Corvane::Plugin::LoadedPlugin> listed;   // its entry in loadedPlugins
  HostHandle* handle = nullptr;
  std::shared_ptr<CVarManagerWrapper> cvarManager;
  std::shared_ptr<GameWrapper> gameWrapper;
  std::vector<std::string> registeredCvars;  // names registered while loading
  bool unloadRequested = false;
};

struct HookEntry {
  std::string event;
  PluginRecord* owner = nullptr;
  std::function<void(std::string)> callback;
  std::atomic<bool> alive{true};
};

struct TimerEntry {
  PluginRecord* owner = nullptr;
  std::function<void(GameWrapper*)> callback;
};

struct TaskEntry {
  uint64_t seq = 0;
  PluginRecord* owner = nullptr;
  std::function<void(GameWrapper*)> callback;
};

struct NetListenerEntry {
  std::string channel;
  PluginRecord* owner = nullptr;
  std::function<void(uintptr_t, const std::string&)> callback;
  std::atomic<bool> alive{true};
};

struct NetDelivery {
  double due = 0;
  std::string channel;
  int senderPlayerId = 0;  // id of the player the sending client controlled, 0 for none
  std::string payload;
};

// This client's own copies of the objects of the match it takes part in.
struct Replica {
  Match* match = nullptr;
  bool online = false;
  GameEventObject event;
  std::map<int, std::unique_ptr<PriObject>> pris;  // by player id
  std::map<int, std::unique_ptr<CarObject>> cars;  // by player id
};

struct Client::Impl {
  Impl(Simulation::Impl& simulation, std::string clientName, std::filesystem::path folder);
  ~Impl();

  Simulation::Impl& sim;
  Client* self = nullptr;
  std::string name;
  std::filesystem::path dataFolder;

  // Which thread may touch what: data that plug-in code reaches from any
  // thread (console variables and their callbacks, the console, hooks, timers,
  // tasks, the network inbox) under sim.mutex; what only the game thread
  // changes (the plug-in list, the replica and the world settings) is changed
  // under it too and read by other threads under it.

  // Console (host/console/Console.cpp)
  std::vector<std::string> console;
  std::vector<std::string> commandHistory;
  void Log(std::string line);
  // Runs a console command on the game thread; from any other thread it is
  // handed to the game thread, which runs it at its next turn (or as soon as it
  // stops waiting for the render thread).
  void ExecuteCommand(const std::string& line, bool echo = false);
  std::deque<std::pair<std::string, bool>> handedCommands;  // line, echo; under the lock
  std::atomic<bool> commandsHanded{false};                  // handedCommands is not empty
  void RunHandedOver();

  // Console variables (host/console/CvarRegistry.cpp, ConfigFile.cpp)
  std::map<std::string, std::unique_ptr<Cvar>> cvars;
  // Variables dropped by a restart: kept, not freed, since a wrapper copy may
  // still hold one's address.
  std::vector<std::unique_ptr<Cvar>> retiredCvars;
  std::map<std::string, std::string> savedValues;  // config file contents, kept current
  std::atomic<bool> configDirty{false};            // changed under the lock
  Cvar* FindCvar(const std::string& cvarName);
  Cvar& RegisterCvar(const std::string& cvarName, const std::string& defaultValue,
                     const std::string& description, bool searchable, bool hasMin, float min, bool hasMax,
                     float max, bool saved);
  // Sets the value, updates bound ints, then runs the on-change callbacks on
  // this thread, whichever it is.
  void SetCvarValue(Cvar& cvar, std::string value);
  std::string CvarValueOf(const Cvar& cvar) const {
    HostLock lock(sim.mutex);
    return cvar.value;
  }
  void LoadConfig();
  // Writes config.cfg on the game thread, outside the lock; on any other
  // thread it leaves the write to the game thread's next turn.
  void SaveConfig();
  void SaveConfigIfChanged();
  std::filesystem::path ConfigPath() const { return dataFolder / "config.cfg"; }
  // Applies saved values to the variables a plug-in registered while loading.
  void RestoreSavedValues(PluginRecord& record);

  // Plug-ins (host/modules/PluginManager.cpp). Loaded and unloaded on the game thread.
  std::vector<std::unique_ptr<PluginRecord>> plugins;  // load order
  std::vector<std::shared_ptr<Corvane::Plugin::LoadedPlugin>> loadedPlugins;
  std::deque<std::unique_ptr<HostHandle>> handles;
  HostHandle hostHandle{this, nullptr};
  std::shared_ptr<CVarManagerWrapper> hostCvarManager;
  std::shared_ptr<GameWrapper> hostGame;
  NetcodeAvailability netcode = NetcodeAvailability::Unavailable;
  std::string netcodeModule = "NetcodePlugin";  // installed as the NetcodePlugin file
  bool installPending = false;
  std::vector<PluginRecord*> deferredUnloads;  // under the lock
  std::atomic<bool> unloadsDeferred{false};    // deferredUnloads is not empty
  PluginRecord* FindPlugin(const std::string& pluginName) const;
  bool LoadPlugin(const std::string& pluginName);
  bool UnloadPlugin(const std::string& pluginName);
  void UnloadNow(PluginRecord* record);
  void DropRegistrations(PluginRecord* owner);
  void RunDeferredUnloads();
  bool InstallPluginFile(const std::string& pluginName, const std::string& fromModule);
  bool InstallPluginFile(const std::string& pluginName) { return InstallPluginFile(pluginName, pluginName); }
  bool InstallNetcodeFile();
  void ApplyNetcodeAvailability();
  void InstallPackage(const std::string& id);
  bool Restart(bool keepData);
  void DropEverything();

  // Guarded dispatch (host/client/PluginCalls.cpp): every call into plug-in
  // code goes through Guarded. It makes owner the calling plug-in on this
  // thread for the call (registrations made during it belong to owner) and
  // turns anything the call throws into one console line.
  std::atomic<size_t> escapedExceptions{0};
  // Calls of this client's plug-in code on an address that holds no live
  // object of the wrapper's kind (host/wrappers/ObjectFaults.cpp): reported
  // and counted while strict, forgiven silently otherwise.
  std::atomic<bool> strict{true};
  std::atomic<size_t> faults{0};
  void SetStrict(bool on);
  template <class Call>
  void Guarded(PluginRecord* owner, const char* kind, const std::string& detail, Call&& call);
  void ReportException(PluginRecord* owner, const char* kind, const std::string& detail, const char* what);
  // The plug-in a registration made now, on this thread, belongs to.
  PluginRecord* OwnerFor(const HostHandle& handle) const;
  GameWrapper* GameWrapperOf(PluginRecord* owner) const;

  // While a BusyScope is open (every guarded call and every dispatch loop opens
  // one), the plug-ins of this client stay loaded. On the game thread an
  // unload asked for meanwhile is deferred until the outermost scope closes,
  // so no plug-in code and no copy of a plug-in's callback is on the stack
  // then; an unload waits for the scopes of every other thread to close, and
  // other threads wait to open one while it runs. Declare the scope before
  // any local that holds a plug-in's callback.
  struct BusyScope {
    explicit BusyScope(Impl& owner) : client(owner), onGameThread(owner.sim.OnGameThread()) {
      if (onGameThread)
        ++client.busyDepth;
      else
        OpenOnOtherThread();
    }
    ~BusyScope() {
      if (!onGameThread)
        CloseOnOtherThread();
      else if (--client.busyDepth == 0 && client.unloadsDeferred)
        client.RunDeferredUnloads();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    void OpenOnOtherThread();
    void CloseOnOtherThread();
    Impl& client;
    const bool onGameThread;
  };
  int busyDepth = 0;  // the game thread's open scopes; game thread only
  // Other threads' open scopes and the unloads waiting and running, under
  // busyGate (not the host's lock, which nothing waits on).
  std::mutex busyGate;
  std::condition_variable busyChanged;
  int otherBusy = 0;
  int unloadsWaiting = 0;
  int unloadsRunning = 0;
  // An unload in progress: waits until no other thread is busy, and keeps
  // them from starting anything new from the moment it waits until it closes.
  struct UnloadScope {
    explicit UnloadScope(Impl& owner);
    ~UnloadScope();
    UnloadScope(const UnloadScope&) = delete;
    UnloadScope& operator=(const UnloadScope&) = delete;
    Impl& client;
  };
  // Plug-in calls one thread may have open at once (a callback that sets a
  // variable whose callback sets it again ...): deeper calls are skipped.
  static constexpr int kMaxNestedCalls = 200;

  // Game loop (host/client/ClientLoop.cpp)
  std::vector<std::shared_ptr<HookEntry>> hooks;
  std::map<std::pair<double, uint64_t>, TimerEntry> timers;  // by due time, then order of setting
  std::deque<TaskEntry> tasks;
  uint64_t nextSeq = 0;
  std::vector<std::shared_ptr<NetListenerEntry>> netListeners;
  std::deque<NetDelivery> inbox;
  void AddHook(PluginRecord* owner, const std::string& event, std::function<void(std::string)> callback);
  void RemoveHook(PluginRecord* owner, const std::string& event);
  // Takes the owner's hooks of the event out of the list; under the lock.
  void TakeHooks(PluginRecord* owner, const std::string& event,
                 std::vector<std::shared_ptr<HookEntry>>& taken);
  void AddTimer(PluginRecord* owner, double delay, std::function<void(GameWrapper*)> callback);
  void AddTask(PluginRecord* owner, std::function<void(GameWrapper*)> callback);
  void RunTurn(bool raiseEvents);
  uint64_t SeqOfNextQueued();
  void RunDueTimers();
  void RunNetwork();
  void RunTasks();
  void RaiseEvent(const std::string& event);
  bool HasHook(const std::string& event) const;

  // World (host/world/Replica.cpp): game thread only, changed under the lock.
  std::unique_ptr<Replica> replica;
  ControllerObject controller;
  bool hasController = true;
  std::string controlledPlayer;
  int controlledId = 0;  // when not 0, the controlled player by id instead of by name
  std::optional<int> viewerTeam;
  std::set<WorldObject> nullObjects;
  void Enter(Match& match, bool online);
  void Leave();
  void SyncReplica();
  void UpdateController();
  PriObject* FindPri(const std::string& playerName) const;
  PriObject* FindPri(int playerId) const;
  uintptr_t DestroyCarKeepingItsAddress(const std::string& playerName);

  // Settings window (host/settings/SettingsWindow.cpp): its Dear ImGui context,
  // made on first use. Made, used and dropped on the render thread only.
  std::shared_ptr<SettingsWindow> settingsWindow;
  // Pages are drawn without first handing the context to plug-ins that have not had it.
  std::atomic<bool> settingsContextWithheld{false};
};

// Called where the host would call plug-in code while holding its lock: a
// fault of the host's own, which ends the program.
[[noreturn]] void HostLockedAcrossPluginCall(const char* kind, const std::string& detail);
// Every place that waits for another thread checks first that this thread does
// not hold the lock, which the thread waited for may need: a fault of the
// host's own, which ends the program.
void CheckNotLockedToWait(const HostMutex& mutex, const char* wait);

template <class Call>
void Client::Impl::Guarded(PluginRecord* owner, const char* kind, const std::string& detail, Call&& call) {
  if (sim.mutex.HeldByThisThread()) HostLockedAcrossPluginCall(kind, detail);
  BusyScope busy(*this);
  RunningClientScope running(*this, owner);
  if (running.Depth() > kMaxNestedCalls) {
    ReportException(owner, kind, detail, "calls nested too deeply; call skipped");
    return;
  }
  try {
    call();
  } catch (const std::exception& error) {
    ReportException(owner, kind, detail, error.what());
  } catch (...) {
    ReportException(owner, kind, detail, "unknown exception");
  }
}

}  // namespace sim
