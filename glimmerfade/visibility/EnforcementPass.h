#pragma once

#include <string>

#include "NamesList.h"
#include "VisibilityTableDecodeCache.h"
#include "WrongShapeReports.h"

class CVarManagerWrapper;
class GameWrapper;

// The only playlist whose online matches are enforced; a local match always is.
inline constexpr int kEnforcedOnlinePlaylist = 24;

// What one enforcement pass leaves for the next: the last decode of
// "invis_json" and the buffers the names list is composed in. Passes run about
// a thousand times a second in a full match, so a pass over an unchanged table
// neither decodes JSON nor allocates buffers of its own. None of this changes
// what a pass does: each pass still reads both variables and sets every car.
struct EnforcementPassMemory {
  VisibilityTableDecodeCache decodes;
  NameSlots names;
  std::string namesList;
};

// One pass over the current match of the client behind cvars and game: writes
// "names_specshortcuts", then hides or shows every qualifying car by the table
// in "invis_json". A table of the wrong shape is reported once per text
// (reports are shared with the replication sender).
void RunEnforcementPass(CVarManagerWrapper& cvars, GameWrapper& game, EnforcementPassMemory& memory,
                        WrongShapeReports& reports);
