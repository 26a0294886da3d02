#pragma once

namespace glimmerfade {

// When the client that runs a match sends its table again, unasked.
//
// A message can be lost, and a player can join, load Glimmerfade or get
// NetcodePlugin at any moment, so one send per change is not enough for every
// client of the match to end up holding the table. After a change (of the
// table, of the players, or the bridge becoming ready) the table goes out again
// 1, 3, 6, 10 and 20 seconds later: with the change's own send, 6 messages,
// close together while joiners are still loading. After that it goes out every
// 30 seconds, 2 messages a minute, for whoever became able to receive since or
// lost the earlier ones.
//
// The plug-in's timer calls SecondPassed once a second; the schedule counts
// those seconds, so it needs no clock of its own. Game thread only.
class ResendSchedule {
 public:
  // A change was sent just now: the quick repeats start again.
  void Restart() { secondsSinceChange = 0; }
  // One more second since the last change; true when the table is due again.
  bool SecondPassed();

  static constexpr int kQuickRepeats[] = {1, 3, 6, 10, 20};
  static constexpr int kSteadySeconds = 30;

 private:
  static constexpr int kLastQuickRepeat = kQuickRepeats[sizeof(kQuickRepeats) / sizeof(int) - 1];
  // Starts in the steady rhythm: a loaded plug-in that changed nothing yet
  // repeats every 30 seconds from its load.
  int secondsSinceChange = kLastQuickRepeat;
};

}  // namespace glimmerfade
