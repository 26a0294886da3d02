// A simulated game client: the rooms it composes, and what spans them.

#include "host/client/GameClient.h"

#include <utility>

namespace sim {

std::atomic<int> forgivingClients{0};

GameClient::GameClient(World& ofWorld, GameClients& ofClients, std::string clientName,
                       std::filesystem::path folder)
    : world(ofWorld),
      clients(ofClients),
      name(std::move(clientName)),
      dataFolder(std::move(folder)),
      match(ofWorld),
      plugins(ofWorld, *this, dataFolder / "plugins"),
      loop(ofWorld, plugins, match),
      console(ofWorld, plugins, loop, dataFolder / "config.cfg"),
      settings(ofWorld, console, plugins, name) {
  MakeDataFolder(false);
  AddCommands();
  console.LoadConfig();
}

GameClient::~GameClient() {
  plugins.UnloadAll();
  console.SaveConfigIfChanged();
  SetStrict(true);
}

void GameClient::SetStrict(bool on) {
  if (strict.exchange(on) != on) forgivingClients.fetch_add(on ? -1 : 1, std::memory_order_relaxed);
}

// Under one lock, as the lists are one client's; let go of after it.
void GameClient::DropRegistrations(PluginRecord* owner) {
  Dropped dropped;
  HostLock lock(world.mutex);
  loop.TakeOwned(owner, dropped);
  console.TakeOwned(owner, dropped);
}

}  // namespace sim
