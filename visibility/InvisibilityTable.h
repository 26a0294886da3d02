#pragma once

#include <deque>
#include <string>

class CVarManagerWrapper;

// The console variable that holds the visibility table as JSON.
inline constexpr char kInvisJsonCvar[] = "invis_json";

// Visibility table: one entry per spectator shortcut number (0 to 8), each
// entry three flags: visible to teammates, to opponents, to spectators.
using InvisibilityTable = std::deque<std::deque<bool>>;

constexpr int kTableEntries = 9;
constexpr int kEntryFlags = 3;

// 9 entries, every flag true.
InvisibilityTable DefaultInvisibilityTable();

// Decodes the text of "invis_json". Throws nlohmann::json::parse_error for text
// that is not JSON and nlohmann::json::type_error for JSON of the wrong shape;
// playerInvisibilityStates is replaced only when the whole decode succeeds.
void LoadInvisibilityStates(const std::string& text, InvisibilityTable& playerInvisibilityStates);

// The same decode without exceptions, for callers that must not let one escape.
struct DecodedInvisibilityStates {
  enum class Outcome { Decoded, NotJson, WrongShape };
  Outcome outcome = Outcome::NotJson;
  InvisibilityTable table;
  std::string error;  // the JSON library's message when the decode failed
};
DecodedInvisibilityStates DecodeInvisibilityStates(const std::string& text);

// The compact JSON form: {"invisDeque":[[true,true,true],...]}.
std::string EncodeInvisibilityStates(const InvisibilityTable& playerInvisibilityStates);

// Writes the table's JSON form into "invis_json".
void StoreInvisibilityStates(CVarManagerWrapper& cvarManager, InvisibilityTable playerInvisibilityStates);

// True when entries 0 to 8 exist and each holds at least 3 flags.
bool IsCompleteInvisibilityTable(const InvisibilityTable& playerInvisibilityStates);
