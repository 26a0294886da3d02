#pragma once

// The visibility tables tests start from: the default table (every flag true)
// with flags cleared or entries replaced, every flag false, and the
// replication message of the default table. Header-only: tests of the
// simulator build tables for their scripts without linking the plug-in's code.

#include <deque>
#include <initializer_list>
#include <string>
#include <utility>

#include "visibility/InvisibilityTable.h"

namespace tables {

inline InvisibilityTable AllVisible() {
  return InvisibilityTable(kTableEntries, std::deque<bool>(kEntryFlags, true));
}
inline InvisibilityTable AllHidden() {
  return InvisibilityTable(kTableEntries, std::deque<bool>(kEntryFlags, false));
}

// Every flag true except the given (entry, flag) pairs.
inline InvisibilityTable Cleared(std::initializer_list<std::pair<int, int>> flags) {
  InvisibilityTable table = AllVisible();
  for (const auto& [entry, flag] : flags) table[entry][flag] = false;
  return table;
}

// Every flag true, with the given entries replaced.
inline InvisibilityTable With(std::initializer_list<std::pair<int, std::deque<bool>>> entries) {
  InvisibilityTable table = AllVisible();
  for (const auto& [entry, flags] : entries) table[entry] = flags;
  return table;
}

// "invis_json" for the table, written out here: the plug-in's own encoder is
// what several tests check against it.
inline std::string Json(const InvisibilityTable& table) {
  std::string json = "{\"invisDeque\":[";
  for (size_t entry = 0; entry < table.size(); ++entry) {
    json += entry ? ",[" : "[";
    for (size_t flag = 0; flag < table[entry].size(); ++flag)
      json += std::string(flag ? "," : "") + (table[entry][flag] ? "true" : "false");
    json += "]";
  }
  return json + "]}";
}

// The replication message of the table with every flag true.
inline const std::string kAllVisibleMessage =
    "0:1,1,1;1:1,1,1;2:1,1,1;3:1,1,1;4:1,1,1;5:1,1,1;6:1,1,1;7:1,1,1;8:1,1,1";

}  // namespace tables
