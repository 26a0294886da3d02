#include "host/modules/RunningClient.h"

namespace sim {
namespace {

// Thread-local: the game thread, the render thread and the simulations of
// other threads each run plug-in code of their own.
struct PluginCall {
  PluginsClient* client = nullptr;
  PluginRecord* plugin = nullptr;
  int depth = 0;  // plug-in calls open
};
thread_local PluginCall running;

}  // namespace

PluginsClient* RunningClient() { return running.client; }

PluginRecord* CallingPlugin(const PluginsClient& client) {
  const PluginCall& call = running;
  return call.client == &client ? call.plugin : nullptr;
}

void ForgetCallingPlugin(const PluginRecord* plugin) {
  PluginCall& call = running;
  if (call.plugin == plugin) call.plugin = nullptr;
}

RunningClientScope::RunningClientScope(PluginsClient& client, PluginRecord* plugin) {
  PluginCall& call = running;
  previousClient = call.client;
  previousPlugin = call.plugin;
  depth = ++call.depth;
  call.client = &client;
  call.plugin = plugin;
}

RunningClientScope::~RunningClientScope() {
  PluginCall& call = running;
  call.client = previousClient;
  call.plugin = previousPlugin;
  --call.depth;
}

}  // namespace sim
