#pragma once

#include <string>

#include "NamesList.h"
#include "RosterIdentity.h"
#include "VisibilityTableDecodeCache.h"
#include "WrongShapeReports.h"

class CVarManagerWrapper;
class GameWrapper;

namespace glimmerfade {

// The only playlist whose online matches are enforced; a local match always is.
inline constexpr int kEnforcedOnlinePlaylist = 24;

// What one enforcement pass leaves for the next: the last decode of
// "invis_json", the buffers the names list is composed in, and who was in the
// match. Passes run about a thousand times a second in a full match, so a pass
// over an unchanged table and roster neither decodes JSON nor allocates
// buffers of its own. None of this changes what a pass does to the cars: each
// pass still reads both variables and sets every car.
struct EnforcementPassMemory {
  VisibilityTableDecodeCache decodes;
  NameSlots names;
  std::string namesList;
  RosterIdentity roster;
};

// One pass over the current match of the client behind cvars and game: writes
// "names_specshortcuts", then hides or shows every qualifying car by the table
// in "invis_json". A table of the wrong shape is reported once per text
// (reports are shared with the replication sender).
//
// Returns true when the client runs the match (it is not in an online game),
// someone besides its own player is in it, and the match's roster is not the
// one the last such pass walked: a player or a spectator joined or left, or
// this is the first pass in this match. A pass that finds no match (or finds
// the client in an online game) forgets the roster, so that the next match
// counts as new whatever addresses its entries have; one that stops at a
// missing car array, player controller or roster array returns false and
// remembers nothing new.
bool RunEnforcementPass(CVarManagerWrapper& cvars, GameWrapper& game, EnforcementPassMemory& memory,
                        WrongShapeReports& reports);

}  // namespace glimmerfade
