#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "VisibilityTable.h"

namespace glimmerfade {

// The text that carries a visibility table between clients: 9 rows
// "N:F,F,F" (flags "1" or "0") joined by ";", 71 characters in all, e.g.
// "0:1,1,1;1:1,1,1;...;8:1,1,1".

// What a message carries of a table: flags 0 to 2 of entries 0 to 8.
using ReplicatedFlags = std::array<std::array<bool, kEntryFlags>, kTableEntries>;

// Those flags of a table, or nullopt when it lacks one of them (fewer than 9
// entries, or an entry of fewer than 3 flags): such a table is not sent.
std::optional<ReplicatedFlags> ReplicatedPart(const VisibilityTable& playerInvisibilityStates);

std::string ComposeReplicationMessage(const ReplicatedFlags& flags);

// Rebuilds a 9x3 table from a received message, starting from the default
// table: rows only clear flags. Pieces without ":" or without a readable row
// number are skipped, as are row numbers outside 0 to 8. The whole message is
// rejected (nullopt) when a flag part is shorter than 5 characters or a row
// number does not fit an int.
std::optional<VisibilityTable> ParseReplicationMessage(std::string_view message);

}  // namespace glimmerfade
