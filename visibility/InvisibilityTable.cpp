// Placeholder bodies; replaced by the JSON form.
#include "InvisibilityTable.h"

InvisibilityTable DefaultInvisibilityTable() {
  return InvisibilityTable(kTableEntries, std::deque<bool>(kEntryFlags, true));
}
void LoadInvisibilityStates(const std::string&, InvisibilityTable&) {}
void StoreInvisibilityStates(CVarManagerWrapper&, InvisibilityTable) {}
