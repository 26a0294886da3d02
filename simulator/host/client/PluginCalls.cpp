// Calls into plug-in code from any thread: the scopes that keep a client's
// plug-ins loaded while their code runs, the unload that waits for them, and
// what the host does with what a call throws.

#include <cstdlib>
#include <iostream>

#include "host/client/ClientImpl.h"

namespace sim {

void Client::Impl::BusyScope::OpenOnOtherThread() {
  std::unique_lock<std::mutex> lock(client.busyGate);
  client.busyChanged.wait(lock, [&] { return client.unloadsRunning == 0; });
  ++client.otherBusy;
}

void Client::Impl::BusyScope::CloseOnOtherThread() {
  std::lock_guard<std::mutex> lock(client.busyGate);
  if (--client.otherBusy == 0) client.busyChanged.notify_all();
}

Client::Impl::UnloadScope::UnloadScope(Impl& owner) : client(owner) {
  std::unique_lock<std::mutex> lock(client.busyGate);
  client.busyChanged.wait(lock, [&] { return client.otherBusy == 0; });
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

}  // namespace sim
