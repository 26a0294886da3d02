#pragma once

#include <array>
#include <string>

// Player names by spectator shortcut number, slots 0 to 8.
using NameSlots = std::array<std::string, 9>;

// "1,Alpha;2;3,Bravo;4;5;6;7;8;" — slots 1 to 8, slot 0 never written. A ";"
// inside a name would end its entry early, so it is left out of the name.
std::string ComposeNamesList(const NameSlots& slots);
// The same list written over list, whose buffer is reused.
void ComposeNamesListInto(const NameSlots& slots, std::string& list);

// Reads the first 8 entries of a names list into slots. Entries without a
// readable number, or with a number outside 0 to 8, are skipped.
NameSlots ReadNamesList(const std::string& text);
