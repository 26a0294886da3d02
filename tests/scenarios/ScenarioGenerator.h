#pragma once

// Random matches, as corvane-sim script steps: 2 to 4 clients around one
// match; players coming, going and changing; tables edited in the settings
// panel and typed on the console, good and bad; garbage on the incoming
// message variable; NetcodePlugin late or missing; network delays; the plug-in
// switched on and off; plug-ins unloaded and loaded again; viewers changing.
// The same seed gives the same steps.

#include <cstdint>
#include <string>
#include <vector>

#include "ScenarioRunner.h"
#include "model/WorldModel.h"

namespace scenario {

// A small generator of its own, so that a seed gives the same scenario with
// every standard library.
class Random {
 public:
  explicit Random(uint64_t seed) : state(seed) {}
  uint64_t Next();
  int Below(int count);  // 0 to count - 1
  bool Chance(int percent) { return Below(100) < percent; }
  template <class T>
  const T& PickFrom(const std::vector<T>& items) {
    return items[static_cast<size_t>(Below(static_cast<int>(items.size())))];
  }

 private:
  uint64_t state;
};

class Generator {
 public:
  explicit Generator(uint64_t seed) : random(seed) {}

  // The match, its players and the clients every scenario starts from.
  std::vector<Step> Setup();
  // One more step, chosen with the world as the model sees it.
  Step Next(const model::WorldModel& world);

 private:
  Step Time();
  Step PlayerChange(const model::WorldModel& world);
  Step TypedTable(const model::WorldModel& world);
  Step PanelClick(const model::WorldModel& world);
  Step IncomingGarbage(const model::WorldModel& world);
  Step MatchChange(const model::WorldModel& world);
  Step ViewerChange(const model::WorldModel& world);
  Step EnableToggle(const model::WorldModel& world);
  Step PluginReload(const model::WorldModel& world);
  Step DelayChange();
  Step Look(const model::WorldModel& world);

  std::string PlayerWords(bool all);
  int Shortcut();
  std::string TableValue();
  std::string CompleteTable(bool spaced);
  std::string Message();
  // A client, more often one that is not in an online game (the match's host).
  const model::ClientState& SomeClient(const model::WorldModel& world, bool preferHost);

  Random random;
  std::vector<std::string> recentValues;
};

}  // namespace scenario
