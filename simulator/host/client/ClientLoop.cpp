// One client's game loop: event hooks, timers, game-thread tasks and incoming
// network payloads.

#include <algorithm>
#include <cmath>

#include "host/client/ClientImpl.h"
#include "host/world/SimulationImpl.h"

namespace sim {
namespace {

// Due times are sums of tick lengths; allow for rounding when comparing them.
constexpr double kTimeSlack = 1e-9;

}  // namespace

// Plug-ins register from any thread: hooks, timers and tasks are kept under the lock.
void Client::Impl::AddHook(PluginRecord* owner, const std::string& event,
                           std::function<void(std::string)> callback) {
  if (!callback) return;
  auto entry = std::make_shared<HookEntry>();
  entry->event = event;
  entry->owner = owner;
  entry->callback = std::move(callback);
  std::vector<std::shared_ptr<HookEntry>> replaced;  // let go of after the lock
  HostLock lock(sim.mutex);
  TakeHooks(owner, event, replaced);  // a second request by the same plug-in replaces the first
  hooks.push_back(std::move(entry));
}

void Client::Impl::RemoveHook(PluginRecord* owner, const std::string& event) {
  std::vector<std::shared_ptr<HookEntry>> removed;  // let go of after the lock
  HostLock lock(sim.mutex);
  TakeHooks(owner, event, removed);
}

// A hook being dispatched right now stays alive in the dispatcher's copy of the list.
void Client::Impl::TakeHooks(PluginRecord* owner, const std::string& event,
                             std::vector<std::shared_ptr<HookEntry>>& taken) {
  for (auto& entry : hooks) {
    if (entry->owner != owner || entry->event != event) continue;
    entry->alive = false;
    taken.push_back(entry);
  }
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [](const auto& entry) { return !entry->alive; }),
              hooks.end());
}

bool Client::Impl::HasHook(const std::string& event) const {
  HostLock lock(sim.mutex);
  return std::any_of(hooks.begin(), hooks.end(), [&](const auto& entry) { return entry->event == event; });
}

void Client::Impl::AddTimer(PluginRecord* owner, double delay, std::function<void(GameWrapper*)> callback) {
  if (!callback) return;
  if (!(delay > 0)) delay = 0;  // negative and NaN delays mean "as soon as possible"
  HostLock lock(sim.mutex);
  timers.emplace(std::make_pair(sim.Now() + delay, nextSeq++), TimerEntry{owner, std::move(callback)});
}

void Client::Impl::AddTask(PluginRecord* owner, std::function<void(GameWrapper*)> callback) {
  if (!callback) return;
  HostLock lock(sim.mutex);
  tasks.push_back(TaskEntry{nextSeq++, owner, std::move(callback)});
}

// The game thread raises events; the hooks run outside the lock, on a snapshot.
void Client::Impl::RaiseEvent(const std::string& event) {
  BusyScope busy(*this);
  std::vector<std::shared_ptr<HookEntry>> snapshot;
  {
    HostLock lock(sim.mutex);
    for (const auto& entry : hooks) {
      if (entry->event == event) snapshot.push_back(entry);
    }
  }
  for (const auto& entry : snapshot) {
    if (entry->alive) Guarded(entry->owner, "hook", event, [&] { entry->callback(event); });
  }
}

// The sequence number the next timer or task will take: a turn runs only what
// was queued before it started.
uint64_t Client::Impl::SeqOfNextQueued() {
  HostLock lock(sim.mutex);
  return nextSeq;
}

// Timers set while this turn runs wait for the next turn, even with no delay.
void Client::Impl::RunDueTimers() {
  const double now = sim.Now() + kTimeSlack;
  const uint64_t setBeforeTurn = SeqOfNextQueued();
  for (;;) {
    BusyScope busy(*this);
    TimerEntry entry;
    {
      HostLock lock(sim.mutex);
      auto due = timers.begin();
      while (due != timers.end() && due->first.first <= now && due->first.second >= setBeforeTurn) ++due;
      if (due == timers.end() || due->first.first > now) break;
      entry = std::move(due->second);
      timers.erase(due);
    }
    Guarded(entry.owner, "timer", "", [&] { entry.callback(GameWrapperOf(entry.owner)); });
  }
}

void Client::Impl::RunNetwork() {
  const double now = sim.Now() + kTimeSlack;
  for (;;) {
    BusyScope busy(*this);
    NetDelivery delivery;
    std::vector<std::shared_ptr<NetListenerEntry>> snapshot;
    {
      HostLock lock(sim.mutex);
      if (inbox.empty() || inbox.front().due > now) break;
      delivery = std::move(inbox.front());
      inbox.pop_front();
      for (const auto& entry : netListeners) {
        if (entry->channel == delivery.channel) snapshot.push_back(entry);
      }
    }
    PriObject* sender = delivery.senderPlayerId == 0 ? nullptr : FindPri(delivery.senderPlayerId);
    const uintptr_t senderPri = sender ? sender->Address() : 0;
    for (const auto& entry : snapshot) {
      if (entry->alive)
        Guarded(entry->owner, "net listener", delivery.channel,
                [&] { entry->callback(senderPri, delivery.payload); });
    }
  }
}

// Tasks queued while this turn runs wait for the next turn.
void Client::Impl::RunTasks() {
  const uint64_t queuedBeforeTurn = SeqOfNextQueued();
  for (;;) {
    BusyScope busy(*this);
    TaskEntry task;
    {
      HostLock lock(sim.mutex);
      if (tasks.empty() || tasks.front().seq >= queuedBeforeTurn) break;
      task = std::move(tasks.front());
      tasks.pop_front();
    }
    Guarded(task.owner, "task", "", [&] { task.callback(GameWrapperOf(task.owner)); });
  }
}

// The game thread's turn: first what other threads handed it, then due
// timers, network payloads and tasks, then one vehicle-input event per car.
void Client::Impl::RunTurn(bool raiseEvents) {
  RunHandedOver();
  RunDueTimers();
  RunNetwork();
  RunTasks();
  if (raiseEvents && replica && HasHook(kVehicleInputEvent)) {
    const size_t cars = replica->event.cars.items.size();
    for (size_t i = 0; i < cars && replica; ++i) RaiseEvent(kVehicleInputEvent);
  }
  SaveConfigIfChanged();
}

}  // namespace sim
