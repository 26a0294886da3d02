#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "InvisibilityTable.h"

// The text that carries a visibility table between clients: 9 rows
// "N:F,F,F" (flags "1" or "0") joined by ";", 71 characters in all, e.g.
// "0:1,1,1;1:1,1,1;...;8:1,1,1".

// Needs a complete table (IsCompleteInvisibilityTable); sends entries 0 to 8,
// flags 0 to 2.
std::string ComposeReplicationMessage(const InvisibilityTable& playerInvisibilityStates);

// Rebuilds a 9x3 table from a received message, starting from the default
// table: rows only clear flags. Pieces without ":" or without a readable row
// number are skipped, as are row numbers outside 0 to 8. The whole message is
// rejected (nullopt) when a flag part is shorter than 5 characters or a row
// number does not fit an int.
std::optional<InvisibilityTable> ParseReplicationMessage(std::string_view message);
