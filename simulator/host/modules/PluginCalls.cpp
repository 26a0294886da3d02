// Calls into plug-in code from any thread: the scopes that keep a client's
// plug-ins loaded while their code runs, the unload that waits for them, and
// what the host does with what a call throws.

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "host/modules/Plugins.h"

namespace sim {

namespace {
// The clients whose busy scopes this thread (not the game thread) has open,
// innermost last: only the outermost scope of a client waits for its unloads.
thread_local std::vector<const Plugins*> openScopes;
}  // namespace

// A new call waits while an unload runs or waits to run, so that a thread that
// calls plug-ins one after another (a free-running render thread) cannot keep
// an unload waiting for ever. A call nested in one already open goes on: the
// unload waits for the outer one.
void Plugins::BusyScope::OpenOnOtherThread() {
  const bool nested = std::find(openScopes.begin(), openScopes.end(), &plugins) != openScopes.end();
  CheckNotLockedToWait(plugins.world.mutex, "a plug-in call that waits for an unload");
  std::unique_lock<std::mutex> lock(plugins.busyGate);
  if (!nested)
    plugins.busyChanged.wait(lock,
                             [&] { return plugins.unloadsRunning == 0 && plugins.unloadsWaiting == 0; });
  ++plugins.otherBusy;
  openScopes.push_back(&plugins);
}

void Plugins::BusyScope::CloseOnOtherThread() {
  openScopes.pop_back();
  std::lock_guard<std::mutex> lock(plugins.busyGate);
  if (--plugins.otherBusy == 0) plugins.busyChanged.notify_all();
}

Plugins::UnloadScope::UnloadScope(Plugins& owner) : plugins(owner) {
  CheckNotLockedToWait(plugins.world.mutex, "an unload that waits for other threads' calls");
  std::unique_lock<std::mutex> lock(plugins.busyGate);
  ++plugins.unloadsWaiting;
  plugins.busyChanged.wait(lock, [&] { return plugins.otherBusy == 0; });
  --plugins.unloadsWaiting;
  ++plugins.unloadsRunning;
}

Plugins::UnloadScope::~UnloadScope() {
  std::lock_guard<std::mutex> lock(plugins.busyGate);
  if (--plugins.unloadsRunning == 0) plugins.busyChanged.notify_all();
}

PluginRecord* Plugins::OwnerFor(const HostHandle& handle) const {
  PluginRecord* calling = Calling();
  return calling ? calling : handle.owner;
}

void Plugins::ReportException(PluginRecord* owner, const char* kind, const std::string& detail,
                              const char* what) {
  ++escapedExceptions;
  std::string where = kind;
  if (!detail.empty()) where += " " + detail;
  const std::string who = owner ? "plug-in " + owner->name : std::string("host");
  composer.Log("Exception in " + who + " (" + where + "): " + what);
}

void HostLockedAcrossPluginCall(const char* kind, const std::string& detail) {
  std::cerr << "corvane host: plug-in code (" << kind << (detail.empty() ? "" : " ") << detail
            << ") called while the host holds its lock\n";
  std::abort();
}

}  // namespace sim
