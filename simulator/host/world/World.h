#pragma once

// Simulation::Impl: the world the clients share. It owns the simulation's
// clock, its lock, its clients and matches, and the render thread. Every room
// above reaches it; what walks the clients themselves (ticks, the network,
// free-running frames) is the client room's (host/client/Simulation.cpp),
// which composes each client.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/Simulation.h"
#include "host/threads/HostLock.h"
#include "host/threads/RenderThread.h"
#include "host/world/NetworkLoss.h"

namespace sim {

struct Simulation::Impl {
  std::filesystem::path root;
  std::filesystem::path moduleDir;
  std::atomic<int64_t> ticks{0};
  double installDelay = 1.5;                     // game thread only
  double networkDelay = 0.05;                    // under the lock
  NetworkLoss networkLoss;                       // under the lock
  uint64_t messagesSent = 0;                     // under the lock: numbers each send for networkLoss
  std::vector<std::unique_ptr<Client>> clients;  // creation order; added under the lock
  std::vector<std::unique_ptr<Match>> matches;   // game thread only
  // Lines written on every client's console so far: the next line's place
  // among them (ConsoleLine::order). Under the lock.
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
  std::vector<Client*> ClientList() const;
  // Brings every client that takes part in the match up to date with it: set
  // by the simulation, which knows its clients; game thread only.
  std::function<void(Match&)> matchChanged;
};

struct Match::Impl {
  Simulation::Impl* sim = nullptr;
  std::string name;
  int playlistId = 0;
  bool hasCarArray = true;
  int nextPlayerId = 1;
  std::vector<std::unique_ptr<Player>> players;
};

}  // namespace sim
