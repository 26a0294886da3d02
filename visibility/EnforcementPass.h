#pragma once

#include <optional>
#include <string>

#include "InvisJsonDecodeCache.h"
#include "NamesList.h"

class CVarManagerWrapper;
class GameWrapper;

// What one enforcement pass leaves for the next: the last decode of
// "invis_json" and the buffers the names list is composed in. Passes run about
// a thousand times a second in a full match, so a pass over an unchanged table
// neither decodes JSON nor allocates buffers of its own. None of this changes
// what a pass does: each pass still reads both variables and sets every car.
struct EnforcementPassMemory {
  InvisJsonDecodeCache decodes;
  NameSlots names;
  std::string namesList;
};

// One pass over the current match of the client behind cvars and game: writes
// "names_specshortcuts", then hides or shows every qualifying car by the table
// in "invis_json". reportedMalformed is the wrong-shaped text last reported
// (shared with the replication sender), so that a value is reported once.
void RunEnforcementPass(CVarManagerWrapper& cvars, GameWrapper& game, EnforcementPassMemory& memory,
                        std::optional<std::string>& reportedMalformed);

// The same pass keeping nothing between calls: it decodes "invis_json" and
// composes the names list afresh every time. The reference that the project's
// pass is held against.
void RunReferenceEnforcementPass(CVarManagerWrapper& cvars, GameWrapper& game,
                                 std::optional<std::string>& reportedMalformed);
