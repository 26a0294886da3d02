#pragma once

// What an unload or a restart takes from the host's lists, let go of once the
// host's lock is released: destroying a plug-in's callback runs the plug-in's
// code.

#include <algorithm>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace sim {

struct PluginRecord;

using Dropped = std::vector<std::shared_ptr<void>>;

template <class Thing>
void Drop(Dropped& dropped, Thing&& thing) {
  dropped.push_back(std::make_shared<std::decay_t<Thing>>(std::forward<Thing>(thing)));
}

// Takes the owner's entries out of the list: each is marked dead (a copy being
// dispatched right now does nothing more) and its callback dropped.
template <class Entry>
void EraseOwned(std::vector<std::shared_ptr<Entry>>& entries, PluginRecord* owner, Dropped& dropped) {
  for (auto& entry : entries) {
    if (entry->owner != owner) continue;
    entry->alive = false;
    Drop(dropped, std::move(entry->callback));
    entry->callback = nullptr;
  }
  entries.erase(
      std::remove_if(entries.begin(), entries.end(), [](const auto& entry) { return !entry->alive; }),
      entries.end());
}

}  // namespace sim
