#pragma once

// Visibility tables and replication messages that several tests start from.

#include <deque>
#include <initializer_list>
#include <string>
#include <utility>

#include "visibility/InvisibilityTable.h"

namespace table_test {

// The replication message of the table with every flag true.
inline const std::string kAllVisible =
    "0:1,1,1;1:1,1,1;2:1,1,1;3:1,1,1;4:1,1,1;5:1,1,1;6:1,1,1;7:1,1,1;8:1,1,1";

// The default table (every flag true) with the given entries replaced.
inline InvisibilityTable TableWith(std::initializer_list<std::pair<int, std::deque<bool>>> entries) {
  InvisibilityTable table = DefaultInvisibilityTable();
  for (const auto& [n, flags] : entries) table[n] = flags;
  return table;
}

}  // namespace table_test
