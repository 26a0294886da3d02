#include "VisibilityTable.h"

#include <nlohmann/json.hpp>

namespace glimmerfade {

namespace {
const char* const kTableMember = "invisDeque";
}

VisibilityTable DefaultVisibilityTable() {
  return VisibilityTable(kTableEntries, std::deque<bool>(kEntryFlags, true));
}

void LoadInvisibilityStates(const std::string& text, VisibilityTable& playerInvisibilityStates) {
  nlohmann::json document = nlohmann::json::parse(text);
  // Mutable access on purpose: a null document becomes an object with a null
  // member, which then fails the conversion as "type must be array, but is null".
  playerInvisibilityStates = document[kTableMember].get<VisibilityTable>();
}

DecodedVisibilityTable DecodeVisibilityTable(const std::string& text) {
  DecodedVisibilityTable result;
  try {
    LoadInvisibilityStates(text, result.table);
    result.outcome = DecodedVisibilityTable::Outcome::Decoded;
  } catch (const nlohmann::json::parse_error& e) {
    result.outcome = DecodedVisibilityTable::Outcome::NotJson;
    result.error = e.what();
  } catch (const nlohmann::json::exception& e) {
    result.outcome = DecodedVisibilityTable::Outcome::WrongShape;
    result.error = e.what();
  }
  return result;
}

std::string EncodeVisibilityTable(const VisibilityTable& playerInvisibilityStates) {
  nlohmann::json document;
  document[kTableMember] = playerInvisibilityStates;
  return document.dump();
}

}  // namespace glimmerfade
