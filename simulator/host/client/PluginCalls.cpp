// Calls into plug-in code from any thread: the scopes that keep a client's
// plug-ins loaded while their code runs, the unload that waits for them, and
// what the host does with what a call throws.

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "host/client/ClientImpl.h"

namespace sim {

namespace {
// The clients whose busy scopes this thread (not the game thread) has open,
// innermost last: only the outermost scope of a client waits for its unloads.
thread_local std::vector<const Client::Impl*> openScopes;
}  // namespace

// A new call waits while an unload runs or waits to run, so that a thread that
// calls plug-ins one after another (a free-running render thread) cannot keep
// an unload waiting for ever. A call nested in one already open goes on: the
// unload waits for the outer one.
void Client::Impl::BusyScope::OpenOnOtherThread() {
  const bool nested = std::find(openScopes.begin(), openScopes.end(), &client) != openScopes.end();
  CheckNotLockedToWait(client.sim.mutex, "a plug-in call that waits for an unload");
  std::unique_lock<std::mutex> lock(client.busyGate);
  if (!nested)
    client.busyChanged.wait(lock, [&] { return client.unloadsRunning == 0 && client.unloadsWaiting == 0; });
  ++client.otherBusy;
  openScopes.push_back(&client);
}

void Client::Impl::BusyScope::CloseOnOtherThread() {
  openScopes.pop_back();
  std::lock_guard<std::mutex> lock(client.busyGate);
  if (--client.otherBusy == 0) client.busyChanged.notify_all();
}

Client::Impl::UnloadScope::UnloadScope(Impl& owner) : client(owner) {
  CheckNotLockedToWait(client.sim.mutex, "an unload that waits for other threads' calls");
  std::unique_lock<std::mutex> lock(client.busyGate);
  ++client.unloadsWaiting;
  client.busyChanged.wait(lock, [&] { return client.otherBusy == 0; });
  --client.unloadsWaiting;
  ++client.unloadsRunning;
}

Client::Impl::UnloadScope::~UnloadScope() {
  std::lock_guard<std::mutex> lock(client.busyGate);
  if (--client.unloadsRunning == 0) client.busyChanged.notify_all();
}

PluginRecord* Client::Impl::OwnerFor(const HostHandle& handle) const {
  PluginRecord* calling = CallingPlugin(*this);
  return calling ? calling : handle.owner;
}

void Client::Impl::ReportException(PluginRecord* owner, const char* kind, const std::string& detail,
                                   const char* what) {
  ++escapedExceptions;
  std::string where = kind;
  if (!detail.empty()) where += " " + detail;
  const std::string who = owner ? "plug-in " + owner->name : std::string("host");
  Log("Exception in " + who + " (" + where + "): " + what);
}

void HostLockedAcrossPluginCall(const char* kind, const std::string& detail) {
  std::cerr << "corvane host: plug-in code (" << kind << (detail.empty() ? "" : " ") << detail
            << ") called while the host holds its lock\n";
  std::abort();
}

void CheckNotLockedToWait(const HostMutex& mutex, const char* wait) {
  if (!mutex.HeldByThisThread()) return;
  std::cerr << "corvane host: " << wait << " while this thread holds the host's lock\n";
  std::abort();
}

}  // namespace sim
