#include "InvisibilityTable.h"

#include <nlohmann/json.hpp>

namespace {
const char* const kTableMember = "invisDeque";
}

InvisibilityTable DefaultInvisibilityTable() {
  return InvisibilityTable(kTableEntries, std::deque<bool>(kEntryFlags, true));
}

void LoadInvisibilityStates(const std::string& text, InvisibilityTable& playerInvisibilityStates) {
  nlohmann::json document = nlohmann::json::parse(text);
  // Mutable access on purpose: a null document becomes an object with a null
  // member, which then fails the conversion as "type must be array, but is null".
  playerInvisibilityStates = document[kTableMember].get<InvisibilityTable>();
}

DecodedInvisibilityStates DecodeInvisibilityStates(const std::string& text) {
  DecodedInvisibilityStates result;
  try {
    LoadInvisibilityStates(text, result.table);
    result.outcome = DecodedInvisibilityStates::Outcome::Decoded;
  } catch (const nlohmann::json::parse_error& e) {
    result.outcome = DecodedInvisibilityStates::Outcome::NotJson;
    result.error = e.what();
  } catch (const nlohmann::json::exception& e) {
    result.outcome = DecodedInvisibilityStates::Outcome::WrongShape;
    result.error = e.what();
  }
  return result;
}

std::string EncodeInvisibilityStates(const InvisibilityTable& playerInvisibilityStates) {
  nlohmann::json document;
  document[kTableMember] = playerInvisibilityStates;
  return document.dump();
}

bool IsCompleteInvisibilityTable(const InvisibilityTable& playerInvisibilityStates) {
  if (playerInvisibilityStates.size() < static_cast<size_t>(kTableEntries)) return false;
  for (int n = 0; n < kTableEntries; ++n)
    if (playerInvisibilityStates[n].size() < static_cast<size_t>(kEntryFlags)) return false;
  return true;
}
