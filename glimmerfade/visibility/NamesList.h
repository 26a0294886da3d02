#pragma once

#include <array>
#include <string>
#include <string_view>

#include "PlayerSlots.h"

namespace glimmerfade {

// The console variable that lists the match's players by spectator shortcut
// number, for the settings panel's rows.
inline constexpr char kNamesListCvar[] = "names_specshortcuts";

// Player names by slot (spectator shortcut number), slots 0 to 8.
using NameSlots = std::array<std::string, kSlots>;

// Writes "1,Alpha;2;3,Bravo;4;5;6;7;8;" over list, reusing its buffer: slots
// 1 to 8, slot 0 never written. A ";" inside a name would end its entry early,
// so it is left out of the name.
void ComposeNamesListInto(const NameSlots& slots, std::string& list);

// Reads the first 8 entries of a names list into slots. Entries without a
// readable number, or with a number outside 0 to 8, are skipped.
NameSlots ReadNamesList(std::string_view text);

}  // namespace glimmerfade
