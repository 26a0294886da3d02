// What the host holds for each plug-in of a client: the detail behind
// Client::Registrations, so that leftovers of an unloaded plug-in show.

#include <map>

#include "host/client/ClientImpl.h"

namespace sim {
namespace {

HostHoldings HoldingsOf(HostHoldings::Owner owner, const std::string& plugin) {
  HostHoldings holdings;
  holdings.owner = owner;
  holdings.plugin = plugin;
  return holdings;
}

}  // namespace

std::vector<HostHoldings> Client::Holdings() const {
  const Impl& client = *pimpl;
  HostLock lock(client.sim.mutex);
  std::vector<HostHoldings> result;
  std::map<const PluginRecord*, size_t> loaded;
  for (const auto& record : client.plugins.Records()) {
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

  client.loop.AddHoldings(holder);
  client.console.AddHoldings(holder);

  if (!host.Empty()) result.push_back(host);
  if (!unloaded.Empty()) result.push_back(unloaded);
  return result;
}

}  // namespace sim
