#pragma once

// GameClients: the game clients of a simulation, in the order they were made, and
// what walks them: the turns of a tick, the simulated network between them,
// bringing those that take part in a match up to date with it (the world's
// matchChanged), and their settings windows on the render thread.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "host/client/GameClient.h"
#include "host/world/World.h"

namespace sim {

class GameClients {
 public:
  explicit GameClients(World& ofWorld);
  ~GameClients() { Clear(); }
  GameClients(const GameClients&) = delete;
  GameClients& operator=(const GameClients&) = delete;

  // Makes a client, with its data folder under the world's root: named after
  // the client when the name makes a folder name, otherwise after its place.
  // Game thread only.
  GameClient& Add(const std::string& name);
  // Any thread.
  std::vector<GameClient*> List() const;

  // One physics tick: the clock, then each client's turn in the order they
  // were made, then, without threads, the free-running frame. Game thread.
  void Tick();
  // Each client's turn without raising events. Game thread.
  void RunPending();
  // Queues a payload for every other client of the sender's match; any thread.
  void Broadcast(GameClient& sender, const std::string& channel, const std::string& payload);
  // A free-running frame: every client's window once, in the order the
  // clients were made. Render thread.
  void DrawFreeFrame();
  // Drops every client's settings window on the render thread, then ends it.
  void EndRenderThread();
  // Drops the clients, newest first: their plug-ins unload while the matches
  // still exist. Game thread, once the render thread has ended.
  void Clear();

 private:
  void MatchChanged(WorldMatch& match);

  World& world;
  std::vector<std::unique_ptr<GameClient>> clients;  // creation order; added under the lock
};

}  // namespace sim
