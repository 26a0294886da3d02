// One client's game loop: event hooks, timers, game-thread tasks, incoming
// network payloads and the work other threads hand the game thread.

#include "host/loop/GameLoop.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

// Due times are sums of tick lengths; allow for rounding when comparing them.
constexpr double kTimeSlack = 1e-9;

}  // namespace

// Plug-ins register from any thread: hooks, timers and tasks are kept under the lock.
void GameLoop::AddHook(PluginRecord* owner, const std::string& event,
                       std::function<void(std::string)> callback) {
  if (!callback) return;
  auto entry = std::make_shared<HookEntry>();
  entry->event = event;
  entry->owner = owner;
  entry->callback = std::move(callback);
  std::vector<std::shared_ptr<HookEntry>> replaced;  // let go of after the lock
  HostLock lock(world.mutex);
  TakeHooks(owner, event, replaced);  // a second request by the same plug-in replaces the first
  hooks.push_back(std::move(entry));
}

void GameLoop::RemoveHook(PluginRecord* owner, const std::string& event) {
  std::vector<std::shared_ptr<HookEntry>> removed;  // let go of after the lock
  HostLock lock(world.mutex);
  TakeHooks(owner, event, removed);
}

// A hook being dispatched right now stays alive in the dispatcher's copy of the list.
void GameLoop::TakeHooks(PluginRecord* owner, const std::string& event,
                         std::vector<std::shared_ptr<HookEntry>>& taken) {
  for (auto& entry : hooks) {
    if (entry->owner != owner || entry->event != event) continue;
    entry->alive = false;
    taken.push_back(entry);
  }
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [](const auto& entry) { return !entry->alive; }),
              hooks.end());
}

bool GameLoop::HasHook(const std::string& event) const {
  HostLock lock(world.mutex);
  return std::any_of(hooks.begin(), hooks.end(), [&](const auto& entry) { return entry->event == event; });
}

void GameLoop::AddTimer(PluginRecord* owner, double delay, std::function<void(GameWrapper*)> callback) {
  if (!callback) return;
  if (!(delay > 0)) delay = 0;  // negative and NaN delays mean "as soon as possible"
  HostLock lock(world.mutex);
  timers.emplace(std::make_pair(world.Now() + delay, nextSeq++), TimerEntry{owner, std::move(callback)});
}

void GameLoop::AddTask(PluginRecord* owner, std::function<void(GameWrapper*)> callback) {
  if (!callback) return;
  HostLock lock(world.mutex);
  tasks.push_back(TaskEntry{nextSeq++, owner, std::move(callback)});
}

// The game thread raises events; the hooks run outside the lock, on a snapshot.
void GameLoop::RaiseEvent(const std::string& event) {
  Plugins::BusyScope busy(plugins);
  std::vector<std::shared_ptr<HookEntry>> snapshot;
  {
    HostLock lock(world.mutex);
    for (const auto& entry : hooks) {
      if (entry->event == event) snapshot.push_back(entry);
    }
  }
  for (const auto& entry : snapshot) {
    if (entry->alive) plugins.Guarded(entry->owner, "hook", event, [&] { entry->callback(event); });
  }
}

// The sequence number the next timer or task will take: a turn runs only what
// was queued before it started.
uint64_t GameLoop::SeqOfNextQueued() {
  HostLock lock(world.mutex);
  return nextSeq;
}

// Timers set while this turn runs wait for the next turn, even with no delay.
void GameLoop::RunDueTimers() {
  const double now = world.Now() + kTimeSlack;
  const uint64_t setBeforeTurn = SeqOfNextQueued();
  for (;;) {
    Plugins::BusyScope busy(plugins);
    TimerEntry entry;
    {
      HostLock lock(world.mutex);
      auto due = timers.begin();
      while (due != timers.end() && due->first.first <= now && due->first.second >= setBeforeTurn) ++due;
      if (due == timers.end() || due->first.first > now) break;
      entry = std::move(due->second);
      timers.erase(due);
    }
    plugins.Guarded(entry.owner, "timer", "", [&] { entry.callback(plugins.GameWrapperOf(entry.owner)); });
  }
}

void GameLoop::RunNetwork() {
  const double now = world.Now() + kTimeSlack;
  for (;;) {
    Plugins::BusyScope busy(plugins);
    NetDelivery delivery;
    std::vector<std::shared_ptr<NetListenerEntry>> snapshot;
    {
      HostLock lock(world.mutex);
      if (inbox.empty() || inbox.front().due > now) break;
      delivery = std::move(inbox.front());
      inbox.pop_front();
      for (const auto& entry : netListeners) {
        if (entry->channel == delivery.channel) snapshot.push_back(entry);
      }
    }
    PriObject* sender = delivery.senderPlayerId == 0 ? nullptr : match.FindPri(delivery.senderPlayerId);
    const uintptr_t senderPri = sender ? sender->Address() : 0;
    for (const auto& entry : snapshot) {
      if (entry->alive)
        plugins.Guarded(entry->owner, "net listener", delivery.channel,
                        [&] { entry->callback(senderPri, delivery.payload); });
    }
  }
}

// Tasks queued while this turn runs wait for the next turn.
void GameLoop::RunTasks() {
  const uint64_t queuedBeforeTurn = SeqOfNextQueued();
  for (;;) {
    Plugins::BusyScope busy(plugins);
    TaskEntry task;
    {
      HostLock lock(world.mutex);
      if (tasks.empty() || tasks.front().seq >= queuedBeforeTurn) break;
      task = std::move(tasks.front());
      tasks.pop_front();
    }
    plugins.Guarded(task.owner, "task", "", [&] { task.callback(plugins.GameWrapperOf(task.owner)); });
  }
}

void GameLoop::AddNetListener(PluginRecord* owner, const std::string& channel,
                              std::function<void(uintptr_t, const std::string&)> callback) {
  if (!callback) return;
  auto entry = std::make_shared<NetListenerEntry>();
  entry->channel = channel;
  entry->owner = owner;
  entry->callback = std::move(callback);
  HostLock lock(world.mutex);
  netListeners.push_back(std::move(entry));
}

void GameLoop::HandOver(std::function<void()> work) {
  HostLock lock(world.mutex);
  handed.push_back(std::move(work));
  workHanded = true;
}

// What other threads handed the game thread (their console commands), in
// order, then the unloads asked for meanwhile. Game thread, outside plug-in calls.
void GameLoop::RunHandedOver() {
  while (workHanded) {
    std::function<void()> work;
    {
      HostLock lock(world.mutex);
      workHanded = handed.size() > 1;
      if (handed.empty()) break;
      work = std::move(handed.front());
      handed.pop_front();
    }
    work();
  }
  plugins.RunDeferredUnloadsIfIdle();
}

std::vector<std::string> GameLoop::HookedEvents() const {
  std::vector<std::string> events;
  for (const auto& hook : hooks) events.push_back(hook->event);
  return events;
}

void GameLoop::TakeOwned(PluginRecord* owner, Dropped& dropped) {
  EraseOwned(hooks, owner, dropped);
  EraseOwned(netListeners, owner, dropped);
  for (auto it = timers.begin(); it != timers.end();) {
    if (it->second.owner != owner) {
      ++it;
      continue;
    }
    Drop(dropped, std::move(it->second));
    it = timers.erase(it);
  }
  for (TaskEntry& task : tasks) {
    if (task.owner == owner) Drop(dropped, std::move(task.callback));
  }
  tasks.erase(
      std::remove_if(tasks.begin(), tasks.end(), [&](const TaskEntry& t) { return t.owner == owner; }),
      tasks.end());
}

void GameLoop::TakeAll(Dropped& dropped) {
  for (auto& hook : hooks) hook->alive = false;
  Drop(dropped, std::move(hooks));
  hooks.clear();
  Drop(dropped, std::move(timers));
  timers.clear();
  Drop(dropped, std::move(tasks));
  tasks.clear();
  for (auto& listener : netListeners) listener->alive = false;
  Drop(dropped, std::move(netListeners));
  netListeners.clear();
  inbox.clear();
  handed.clear();
  workHanded = false;
}

}  // namespace sim
