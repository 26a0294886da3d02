#pragma once

// The plug-in call that runs on this thread now: whose client and which
// plug-in. The host sets it around every call into plug-in code, so that what
// such a call registers belongs to that plug-in, and what it does wrong is
// reported on the console of the client that made it. Each thread has its own:
// the game thread and the render thread run plug-in code at the same time.
// A client is known here as its plug-in modules know it (PluginsClient,
// host/modules/Plugins.h).

namespace sim {

class PluginsClient;
struct PluginRecord;

// nullptr while no plug-in code runs on this thread (a call from a test or a tool).
PluginsClient* RunningClient();
// The plug-in of this client whose code runs on this thread now; nullptr when
// none does, or when the host itself calls (an on-change callback of its own).
PluginRecord* CallingPlugin(const PluginsClient& client);
// An unloaded plug-in is no longer the calling one on this thread.
void ForgetCallingPlugin(const PluginRecord* plugin);

// Makes a plug-in of a client the calling one until the scope closes; scopes nest.
class RunningClientScope {
 public:
  RunningClientScope(PluginsClient& client, PluginRecord* plugin);
  ~RunningClientScope();
  // Plug-in calls open on this thread, this one included.
  int Depth() const { return depth; }
  RunningClientScope(const RunningClientScope&) = delete;
  RunningClientScope& operator=(const RunningClientScope&) = delete;

 private:
  PluginsClient* previousClient;
  PluginRecord* previousPlugin;
  int depth;
};

}  // namespace sim
