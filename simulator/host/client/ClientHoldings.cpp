// What the host holds for each plug-in of a client: the counts, and the
// detail behind them, so that leftovers of an unloaded plug-in show.

#include <map>

#include "host/client/GameClient.h"

namespace sim {
namespace {

HostHoldings HoldingsOf(HostHoldings::Owner owner, const std::string& plugin) {
  HostHoldings holdings;
  holdings.owner = owner;
  holdings.plugin = plugin;
  return holdings;
}

}  // namespace

HostRegistrations GameClient::Registrations() const {
  HostLock lock(world.mutex);
  HostRegistrations counts;
  counts.hooks = loop.Hooks();
  counts.cvarCallbacks = console.CallbackCount();
  counts.boundInts = console.BoundIntCount();
  counts.timers = loop.Timers();
  counts.tasks = loop.Tasks();
  counts.netListeners = loop.NetListeners();
  return counts;
}

std::vector<HostHoldings> GameClient::Holdings() const {
  HostLock lock(world.mutex);
  std::vector<HostHoldings> result;
  std::map<const PluginRecord*, size_t> loaded;
  for (const auto& record : plugins.Records()) {
    loaded[record.get()] = result.size();
    result.push_back(HoldingsOf(HostHoldings::Owner::LoadedPlugin, record->name));
  }
  HostHoldings host = HoldingsOf(HostHoldings::Owner::Host, "");
  HostHoldings unloaded = HoldingsOf(HostHoldings::Owner::UnloadedPlugin, "");
  auto holder = [&](const PluginRecord* owner) -> HostHoldings& {
    if (!owner) return host;
    auto found = loaded.find(owner);
    return found == loaded.end() ? unloaded : result[found->second];
  };

  loop.AddHoldings(holder);
  console.AddHoldings(holder);

  if (!host.Empty()) result.push_back(host);
  if (!unloaded.Empty()) result.push_back(unloaded);
  return result;
}

}  // namespace sim
