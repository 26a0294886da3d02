#pragma once

// World: what the clients of a simulation share. It owns the simulation's
// clock, its lock, its matches, the count of console lines that orders every
// client's lines among the others', and its render thread. Every room above
// reaches it; the clients themselves, and what walks them (ticks, the
// network, free-running frames), are the client room's (host/client/GameClients.h).

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/threads/HostLock.h"
#include "host/threads/RenderThread.h"
#include "host/world/NetworkLoss.h"
#include "host/world/WorldMatch.h"

namespace sim {

struct World {
  World(std::filesystem::path rootFolder, std::filesystem::path modules);
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  const std::filesystem::path root;       // each client's data folder is made under it
  const std::filesystem::path moduleDir;  // where built plug-in modules are found
  std::atomic<int64_t> ticks{0};
  double installDelay = 1.5;   // game thread only
  double networkDelay = 0.05;  // under the lock
  NetworkLoss networkLoss;     // under the lock
  uint64_t messagesSent = 0;   // under the lock: numbers each send for networkLoss
  // Lines written on every client's console so far: the next line's place
  // among them. Under the lock.
  uint64_t consoleLinesWritten = 0;

  // The host's data lock (host/threads/HostLock.h).
  mutable HostMutex mutex;
  // The thread that made the simulation runs its game: ticks, events, hooks,
  // timers, tasks and console commands.
  const std::thread::id gameThread = std::this_thread::get_id();
  bool OnGameThread() const { return std::this_thread::get_id() == gameThread; }
  // What only the game thread changes (always under the lock) it reads as it
  // is; every other thread reads it under the lock.
  std::unique_lock<HostMutex> LockUnlessGameThread() const {
    return OnGameThread() ? std::unique_lock<HostMutex>(mutex, std::defer_lock)
                          : std::unique_lock<HostMutex>(mutex);
  }

  // The render thread, made on first use; it ends before the clients do.
  RenderThread& Render();
  // Runs job on the render thread and waits for it.
  void OnRenderThread(const std::function<void()>& job);
  // Without threads, the free-running frame is drawn after each tick.
  void DrawFreeFrameAfterTick();
  std::unique_ptr<RenderThread> render;
  std::mutex renderMaking;

  static constexpr int64_t kTicksPerSecond = 120;
  static constexpr double kTickSeconds = 1.0 / kTicksPerSecond;
  double Now() const { return static_cast<double>(ticks.load(std::memory_order_relaxed)) * kTickSeconds; }

  // Matches, in the order they were made; game thread only.
  WorldMatch& CreateMatch(const std::string& name, int playlistId);
  WorldMatch* FindMatch(const std::string& name);
  std::vector<std::unique_ptr<WorldMatch>> matches;
  // Brings every client that takes part in the match up to date with it: set
  // by the room that holds the clients; game thread only.
  std::function<void(WorldMatch&)> matchChanged;
};

}  // namespace sim
