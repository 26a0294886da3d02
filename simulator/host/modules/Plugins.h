#pragma once

// Plugins: the plug-in modules of one client. It owns the loaded plug-ins
// (their records, the list plug-ins walk, the handles behind their wrappers
// and the client's own handle), loads and unloads them on the game thread,
// and owns every call into plug-in code: Guarded makes a plug-in the calling
// one on this thread for the call, checks that the host's lock is free and
// turns what the call throws into a console line; the busy and unload scopes
// keep a client's plug-ins loaded while their code runs on any thread.
//
// The client composes it and answers what it asks through PluginsClient (a
// console line, a command for the game thread, what else a plug-in holds);
// that is all the plug-in modules know of their client.
// The console, the game loop and the settings window call plug-in code
// through Guarded; the wrappers reach their client through its handles.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/modules/RunningClient.h"
#include "host/world/World.h"
#include "pluginsdk.h"

namespace sim {

struct ClockRedirection;
struct PluginRecord;

// What the plug-in modules need of the client that composes them.
class PluginsClient {
 public:
  // Writes a line on the client's console.
  virtual void Log(std::string line) = 0;
  // Runs a console command at the game thread's next turn.
  virtual void HandToGameThread(const std::string& command) = 0;
  // The plug-in's onLoad returned: its saved values are restored.
  virtual void Loaded(PluginRecord& record) = 0;
  // Takes out of the client's lists everything the plug-in registered.
  virtual void DropRegistrations(PluginRecord* owner) = 0;

 protected:
  ~PluginsClient() = default;
};

// What the addresses of the host's CVarManagerWrapper, GameWrapper and
// PluginManagerWrapper objects point at. Handles live as long as their client;
// a revoked handle (its plug-in was unloaded) makes every call harmless.
struct HostHandle {
  HostHandle(PluginsClient* handleClient, PluginRecord* handleOwner)
      : client(handleClient), owner(handleOwner) {}
  PluginsClient* const client;
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
  std::shared_ptr<Corvane::Plugin::LoadedPlugin> listed;   // its entry in the loaded list
  HostHandle* handle = nullptr;
  std::shared_ptr<CVarManagerWrapper> cvarManager;
  std::shared_ptr<GameWrapper> gameWrapper;
  std::vector<std::string> registeredCvars;  // names registered while loading
  bool unloadRequested = false;
};

class Plugins {
 public:
  Plugins(World& ofWorld, PluginsClient& owner, std::filesystem::path pluginsFolder);
  Plugins(const Plugins&) = delete;
  Plugins& operator=(const Plugins&) = delete;

  // Loading and unloading (host/modules/PluginManager.cpp). From a thread
  // other than the game thread, a load or an unload is handed to the game
  // thread as the console command would be.
  PluginRecord* Find(const std::string& pluginName) const;
  bool Load(const std::string& pluginName);
  bool Unload(const std::string& pluginName);
  // Game thread, outside every plug-in call of this client: newest first.
  void UnloadAll();
  // Game thread: the unloads asked for during plug-in calls, once none runs.
  void RunDeferredUnloadsIfIdle() {
    if (busyDepth == 0 && unloadsDeferred) RunDeferredUnloads();
  }
  // Forgets the unloads asked for; under the lock (a restart).
  void ForgetDeferredUnloads();
  // Copies the module fromModule into the plugins folder as pluginName's file.
  bool InstallFile(const std::string& pluginName, const std::string& fromModule);
  // Plug-in code of this client on the game thread's stack; game thread only.
  bool Busy() const { return busyDepth > 0; }

  // The loaded plug-ins in load order: the game thread reads them as they
  // are, other threads under the lock.
  const std::vector<std::unique_ptr<PluginRecord>>& Records() const { return records; }
  // The list PluginManagerWrapper::GetLoadedPlugins hands out.
  std::vector<std::shared_ptr<Corvane::Plugin::LoadedPlugin>>* LoadedList() { return &loadedPlugins; }
  uintptr_t HostHandleAddress() const { return reinterpret_cast<uintptr_t>(&hostHandle); }
  const std::shared_ptr<CVarManagerWrapper>& HostCvarManager() const { return hostCvarManager; }
  const std::shared_ptr<GameWrapper>& HostGame() const { return hostGame; }
  // The plug-in of this client whose code runs on this thread now, if any.
  PluginRecord* Calling() const { return CallingPlugin(composer); }
  // The plug-in a registration made now, on this thread, through the handle belongs to.
  PluginRecord* OwnerFor(const HostHandle& handle) const;
  GameWrapper* GameWrapperOf(PluginRecord* owner) const;
  size_t EscapedExceptions() const { return escapedExceptions; }

  // Guarded dispatch (host/modules/PluginCalls.cpp): every call into plug-in
  // code goes through Guarded. It makes owner the calling plug-in on this
  // thread for the call (registrations made during it belong to owner) and
  // turns anything the call throws into one console line.
  template <class Call>
  void Guarded(PluginRecord* owner, const char* kind, const std::string& detail, Call&& call);

  // While a BusyScope is open (every guarded call and every dispatch loop opens
  // one), the plug-ins of this client stay loaded. On the game thread an
  // unload asked for meanwhile is deferred until the outermost scope closes,
  // so no plug-in code and no copy of a plug-in's callback is on the stack
  // then; an unload waits for the scopes of every other thread to close, and
  // other threads wait to open one while it runs. Declare the scope before
  // any local that holds a plug-in's callback.
  struct BusyScope {
    explicit BusyScope(Plugins& owner) : plugins(owner), onGameThread(owner.world.OnGameThread()) {
      if (onGameThread)
        ++plugins.busyDepth;
      else
        OpenOnOtherThread();
    }
    ~BusyScope() {
      if (!onGameThread)
        CloseOnOtherThread();
      else if (--plugins.busyDepth == 0 && plugins.unloadsDeferred)
        plugins.RunDeferredUnloads();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    void OpenOnOtherThread();
    void CloseOnOtherThread();
    Plugins& plugins;
    const bool onGameThread;
  };
  // An unload in progress: waits until no other thread is busy, and keeps
  // them from starting anything new from the moment it waits until it closes.
  struct UnloadScope {
    explicit UnloadScope(Plugins& owner);
    ~UnloadScope();
    UnloadScope(const UnloadScope&) = delete;
    UnloadScope& operator=(const UnloadScope&) = delete;
    Plugins& plugins;
  };
  // Plug-in calls one thread may have open at once (a callback that sets a
  // variable whose callback sets it again ...): deeper calls are skipped.
  static constexpr int kMaxNestedCalls = 200;

 private:
  void ReportUnwrittenClockSlots(const std::string& pluginName, const ClockRedirection& clock);
  void UnloadNow(PluginRecord* record);
  void RunDeferredUnloads();
  void ReportException(PluginRecord* owner, const char* kind, const std::string& detail, const char* what);

  World& world;
  PluginsClient& composer;
  const std::filesystem::path folder;

  // Loaded and unloaded on the game thread, under the lock.
  std::vector<std::unique_ptr<PluginRecord>> records;  // load order
  std::vector<std::shared_ptr<Corvane::Plugin::LoadedPlugin>> loadedPlugins;
  std::deque<std::unique_ptr<HostHandle>> handles;
  HostHandle hostHandle;
  std::shared_ptr<CVarManagerWrapper> hostCvarManager;
  std::shared_ptr<GameWrapper> hostGame;
  std::vector<PluginRecord*> deferredUnloads;  // under the lock
  std::atomic<bool> unloadsDeferred{false};    // deferredUnloads is not empty
  std::atomic<size_t> escapedExceptions{0};

  int busyDepth = 0;  // the game thread's open scopes; game thread only
  // Other threads' open scopes and the unloads waiting and running, under
  // busyGate (not the host's lock, which nothing waits on).
  std::mutex busyGate;
  std::condition_variable busyChanged;
  int otherBusy = 0;
  int unloadsWaiting = 0;
  int unloadsRunning = 0;
};

// Called where the host would call plug-in code while holding its lock: a
// fault of the host's own, which ends the program.
[[noreturn]] void HostLockedAcrossPluginCall(const char* kind, const std::string& detail);

template <class Call>
void Plugins::Guarded(PluginRecord* owner, const char* kind, const std::string& detail, Call&& call) {
  if (world.mutex.HeldByThisThread()) HostLockedAcrossPluginCall(kind, detail);
  BusyScope busy(*this);
  RunningClientScope running(composer, owner);
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
