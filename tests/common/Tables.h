#pragma once

// The visibility tables tests start from: the default table (every flag true)
// with flags cleared or entries replaced, every flag false; their
// "invis_json" text as the model of the rules writes it, not the plug-in; and
// the replication message of the default table.

#include <deque>
#include <initializer_list>
#include <string>
#include <utility>

#include "model/VisibilityRules.h"
#include "visibility/VisibilityTable.h"

namespace tables {

using namespace glimmerfade;

inline VisibilityTable AllVisible() {
  return VisibilityTable(kTableEntries, std::deque<bool>(kEntryFlags, true));
}
inline VisibilityTable AllHidden() {
  return VisibilityTable(kTableEntries, std::deque<bool>(kEntryFlags, false));
}

// Every flag true except the given (entry, flag) pairs.
inline VisibilityTable Cleared(std::initializer_list<std::pair<int, int>> flags) {
  VisibilityTable table = AllVisible();
  for (const auto& [entry, flag] : flags) table[entry][flag] = false;
  return table;
}

// Every flag true, with the given entries replaced.
inline VisibilityTable With(std::initializer_list<std::pair<int, std::deque<bool>>> entries) {
  VisibilityTable table = AllVisible();
  for (const auto& [entry, flags] : entries) table[entry] = flags;
  return table;
}

// "invis_json" for the table, written by the model: tests check the plug-in's
// own encoder against it.
inline std::string Json(const VisibilityTable& table) {
  model::Table rows;
  for (const std::deque<bool>& entry : table) rows.emplace_back(entry.begin(), entry.end());
  return model::EncodeTable(rows);
}

// The replication message of the table with every flag true.
inline const std::string kAllVisibleMessage =
    "0:1,1,1;1:1,1,1;2:1,1,1;3:1,1,1;4:1,1,1;5:1,1,1;6:1,1,1;7:1,1,1;8:1,1,1";

}  // namespace tables
