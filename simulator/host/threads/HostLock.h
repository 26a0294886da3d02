#pragma once

// The lock of a simulation's host data: console variables and their
// callbacks, consoles, hooks, timers, tasks, network queues, the list of
// plug-ins, each client's replica. The game thread, the render thread and any
// thread that sets a console variable reach that data at the same time, as in
// a game.
//
// One rule keeps the host honest: the lock guards host data only and is never
// held across a call into plug-in code (snapshot what the call needs, unlock,
// then call). A host that held it there would run the plug-in's calls one at
// a time and hide the plug-in's own races from ThreadSanitizer. Every call
// into plug-in code checks the rule (Plugins::Guarded, host/modules/Plugins.h).
//
// It is recursive: a thread that holds it may take it again. Host functions
// that lock call each other inside one section (registerCvar looks for and
// registers the variable under the lock it took; a variable's description
// looks the variable up), and each must stay safe to call on its own, from
// any thread. Taking it again cannot deadlock: nothing waits while holding
// it, since every place that waits for another thread (a job on the render
// thread, an unload, a call waiting for an unload) first checks that its
// thread does not hold it (CheckNotLockedToWait) and ends the program if it
// does.
//
// It is held for a few lines at a time, so a thread that finds it taken
// yields until it is free. That keeps taking it to a handful of instructions,
// which matters on the game thread: an enforcement pass takes it several
// times, a thousand times a second. The standard library's recursive mutex,
// with the holder kept beside it for HeldByThisThread, costs the pass about
// 290 instructions more (10,620 against 10,331 by scripts/callgrind.sh,
// 2.8 %), and std::mutex with the depth counted here about 210 (2.0 %).

#include <atomic>
#include <mutex>
#include <thread>

namespace sim {

class HostMutex {
 public:
  // lock and unlock: the names std::lock_guard and std::unique_lock call.
  void lock() {  // NOLINT(readability-identifier-naming)
    const std::thread::id self = std::this_thread::get_id();
    if (owner.load(std::memory_order_relaxed) == self) {
      ++depth;
      return;
    }
    while (taken.exchange(true, std::memory_order_acquire)) {
      while (taken.load(std::memory_order_relaxed)) std::this_thread::yield();
    }
    owner.store(self, std::memory_order_relaxed);
    depth = 1;
  }

  void unlock() {  // NOLINT(readability-identifier-naming)
    if (--depth > 0) return;
    owner.store(std::thread::id(), std::memory_order_relaxed);
    taken.store(false, std::memory_order_release);
  }

  // Only the holder can find itself here: no other thread stores its id.
  bool HeldByThisThread() const {
    return owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
  }

 private:
  std::atomic<bool> taken{false};
  std::atomic<std::thread::id> owner{};
  int depth = 0;  // only the holder touches it
};

using HostLock = std::lock_guard<HostMutex>;

// Every place that waits for another thread checks first that this thread does
// not hold the lock, which the thread waited for may need: a fault of the
// host's own, which ends the program.
void CheckNotLockedToWait(const HostMutex& mutex, const char* wait);

}  // namespace sim
