#pragma once

#include <deque>
#include <string>

#include "PlayerSlots.h"

class CVarManagerWrapper;

namespace glimmerfade {

// The console variable that holds the visibility table as JSON.
inline constexpr char kInvisJsonCvar[] = "invis_json";

// Visibility table: one entry per spectator shortcut number (0 to 8), each
// entry three flags: visible to teammates, to opponents, to spectators.
using VisibilityTable = std::deque<std::deque<bool>>;

constexpr int kTableEntries = kSlots;  // one a slot
constexpr int kEntryFlags = 3;

// 9 entries, every flag true.
VisibilityTable DefaultVisibilityTable();

// Decodes the text of "invis_json". Throws nlohmann::json::parse_error for text
// that is not JSON and nlohmann::json::type_error for JSON of the wrong shape;
// playerInvisibilityStates is replaced only when the whole decode succeeds.
void LoadInvisibilityStates(const std::string& text, VisibilityTable& playerInvisibilityStates);

// The same decode without exceptions, for callers that must not let one escape.
struct DecodedVisibilityTable {
  enum class Outcome { Decoded, NotJson, WrongShape };
  Outcome outcome = Outcome::NotJson;
  VisibilityTable table;
  std::string error;  // the JSON library's message when the decode failed
};
DecodedVisibilityTable DecodeVisibilityTable(const std::string& text);

// The compact JSON form: {"invisDeque":[[true,true,true],...]}.
std::string EncodeVisibilityTable(const VisibilityTable& playerInvisibilityStates);

// Writes the table's JSON form into "invis_json".
void StoreInvisibilityStates(CVarManagerWrapper& cvarManager, VisibilityTable playerInvisibilityStates);

}  // namespace glimmerfade
