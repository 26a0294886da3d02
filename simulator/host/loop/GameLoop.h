#pragma once

// GameLoop: one client's game loop. It owns what plug-ins hand the game
// thread (event hooks, timers, game-thread tasks, network listeners and the
// network's deliveries) and the work other threads hand it (a console command
// run off the game thread), and runs them on the game thread: each turn first
// the handed-over work, then due timers, deliveries and tasks; events when
// the game raises them. Plug-ins add to it from any thread, under the host's
// lock; what it runs it calls through Plugins::Guarded, outside the lock.
// The client composes it; the console hands it work, the wrappers add to it.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/modules/Dropped.h"
#include "host/modules/Plugins.h"
#include "host/world/ClientMatch.h"

namespace sim {

struct HookEntry {
  std::string event;
  PluginRecord* owner = nullptr;
  std::function<void(std::string)> callback;
  std::atomic<bool> alive{true};
};

struct TimerEntry {
  PluginRecord* owner = nullptr;
  std::function<void(GameWrapper*)> callback;
};

struct TaskEntry {
  uint64_t seq = 0;
  PluginRecord* owner = nullptr;
  std::function<void(GameWrapper*)> callback;
};

struct NetListenerEntry {
  std::string channel;
  PluginRecord* owner = nullptr;
  std::function<void(uintptr_t, const std::string&)> callback;
  std::atomic<bool> alive{true};
};

struct NetDelivery {
  double due = 0;
  std::string channel;
  int senderPlayerId = 0;  // id of the player the sending client controlled, 0 for none
  std::string payload;
};

class GameLoop {
 public:
  GameLoop(World& ofWorld, Plugins& clientPlugins, const ClientMatch& view)
      : world(ofWorld), plugins(clientPlugins), match(view) {}
  GameLoop(const GameLoop&) = delete;
  GameLoop& operator=(const GameLoop&) = delete;

  // Any thread.
  void AddHook(PluginRecord* owner, const std::string& event, std::function<void(std::string)> callback);
  void RemoveHook(PluginRecord* owner, const std::string& event);
  bool HasHook(const std::string& event) const;
  void AddTimer(PluginRecord* owner, double delay, std::function<void(GameWrapper*)> callback);
  void AddTask(PluginRecord* owner, std::function<void(GameWrapper*)> callback);
  void AddNetListener(PluginRecord* owner, const std::string& channel,
                      std::function<void(uintptr_t, const std::string&)> callback);
  // Queues a delivery from the network; under the lock.
  void Deliver(NetDelivery delivery) { inbox.push_back(std::move(delivery)); }
  // Work for the game thread's next turn (or as soon as it stops waiting for
  // the render thread), run in the order handed.
  void HandOver(std::function<void()> work);

  // Game thread, outside plug-in calls.
  void RunHandedOver();
  void RunDueTimers();
  void RunNetwork();
  void RunTasks();
  void RaiseEvent(const std::string& event);

  // Under the lock: what the loop holds, for the client's registrations and holdings.
  std::vector<std::string> HookedEvents() const;
  size_t Hooks() const { return hooks.size(); }
  size_t Timers() const { return timers.size(); }
  size_t Tasks() const { return tasks.size(); }
  size_t NetListeners() const { return netListeners.size(); }
  template <class Holder>
  void AddHoldings(Holder&& holder) const;
  // Under the lock: takes what the owner registered out (an unload), or
  // everything (a restart), to be let go of after the lock.
  void TakeOwned(PluginRecord* owner, Dropped& dropped);
  void TakeAll(Dropped& dropped);

 private:
  // Takes the owner's hooks of the event out of the list; under the lock.
  void TakeHooks(PluginRecord* owner, const std::string& event,
                 std::vector<std::shared_ptr<HookEntry>>& taken);
  uint64_t SeqOfNextQueued();

  World& world;
  Plugins& plugins;
  const ClientMatch& match;
  std::vector<std::shared_ptr<HookEntry>> hooks;
  std::map<std::pair<double, uint64_t>, TimerEntry> timers;  // by due time, then order of setting
  std::deque<TaskEntry> tasks;
  uint64_t nextSeq = 0;
  std::vector<std::shared_ptr<NetListenerEntry>> netListeners;
  std::deque<NetDelivery> inbox;
  std::deque<std::function<void()>> handed;  // under the lock
  std::atomic<bool> workHanded{false};       // handed is not empty
};

template <class Holder>
void GameLoop::AddHoldings(Holder&& holder) const {
  for (const auto& hook : hooks) holder(hook->owner).hooks.push_back(hook->event);
  for (const auto& [due, timer] : timers) holder(timer.owner).timers.push_back(due.first);
  for (const TaskEntry& task : tasks) ++holder(task.owner).tasks;
  for (const auto& listener : netListeners) holder(listener->owner).netListeners.push_back(listener->channel);
}

}  // namespace sim
