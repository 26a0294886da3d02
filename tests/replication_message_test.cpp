// The replication message: composing it from a table and rebuilding a table.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "visibility/ReplicationMessage.h"

namespace {
const std::string kAllVisible = "0:1,1,1;1:1,1,1;2:1,1,1;3:1,1,1;4:1,1,1;5:1,1,1;6:1,1,1;7:1,1,1;8:1,1,1";

InvisibilityTable With(std::initializer_list<std::pair<int, std::deque<bool>>> entries) {
  InvisibilityTable table = DefaultInvisibilityTable();
  for (const auto& [n, flags] : entries) table[n] = flags;
  return table;
}

TEST(ReplicationMessage, ComposesNineRowsOfSevenCharacters) {
  EXPECT_EQ(ComposeReplicationMessage(DefaultInvisibilityTable()), kAllVisible);
  EXPECT_EQ(kAllVisible.size(), 71u);

  const std::string oneOff = ComposeReplicationMessage(With({{3, {true, false, true}}}));
  EXPECT_EQ(oneOff, "0:1,1,1;1:1,1,1;2:1,1,1;3:1,0,1;4:1,1,1;5:1,1,1;6:1,1,1;7:1,1,1;8:1,1,1");

  const std::string lastOff =
      ComposeReplicationMessage(With({{0, {false, true, false}}, {8, {false, false, false}}}));
  EXPECT_EQ(lastOff.substr(0, 8), "0:0,1,0;");
  EXPECT_EQ(lastOff.substr(64), "8:0,0,0");
}

TEST(ReplicationMessage, SendsOnlyNineEntriesOfThreeFlags) {
  InvisibilityTable table = DefaultInvisibilityTable();
  table[2].push_back(false);
  table.push_back({false, false, false});
  EXPECT_EQ(ComposeReplicationMessage(table), kAllVisible);
}

TEST(ReplicationMessage, ParsesRowsByNumberAndOnlyClearsFlags) {
  struct Case {
    std::string message;
    std::optional<InvisibilityTable> expected;
  };
  const Case cases[] = {
      {kAllVisible, DefaultInvisibilityTable()},
      {"3:0,1,0", With({{3, {false, true, false}}})},
      {"3:0,1,0;3:1,0,1", With({{3, {false, false, false}}})},
      {"5:1,1,1;2:0,0,0", With({{2, {false, false, false}}})},
      {"3:a,b,c", DefaultInvisibilityTable()},
      {"3:000000", With({{3, {false, false, false}}})},
      {"3:0,0,0,0,0", With({{3, {false, false, false}}})},
      {"03:0,0,0", With({{3, {false, false, false}}})},
      {" +3junk:0,0,0", With({{3, {false, false, false}}})},
      {"x:0,0,0;4:0,0,0", With({{4, {false, false, false}}})},
      {":0,0,0;4:0,1,1", With({{4, {false, true, true}}})},
      {"4-0,0,0", DefaultInvisibilityTable()},
      {"", DefaultInvisibilityTable()},
      {";;;;;;;;;;;", DefaultInvisibilityTable()},
      {"3:0,0", std::nullopt},
      {"3:", std::nullopt},
      {"1:0,0,0;3:0,0", std::nullopt},
      {"99999999999:0,0,0;1:0,0,0", std::nullopt},
      {"-2147483649:0,0,0", std::nullopt},
      // Rows outside 0 to 8 name no entry and are skipped; the rest apply.
      {"9:0,0,0;1:0,0,0", With({{1, {false, false, false}}})},
      {"-1:0,0,0;2147483647:0,0,0;8:1,1,0", With({{8, {true, true, false}}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(ParseReplicationMessage(c.message), c.expected);
  }
}

TEST(ReplicationMessage, NinthPieceTakesTheRestWithItsSemicolons) {
  // Eight empty pieces, then "7:0,0,0;6:0,0,0" as piece 9: only its first row
  // is read, the flag part being "0,0,0;6:0,0,0".
  EXPECT_EQ(ParseReplicationMessage(";;;;;;;;7:0,0,0;6:0,0,0"), With({{7, {false, false, false}}}));
  // A short ninth piece drops the message even after good rows.
  EXPECT_EQ(ParseReplicationMessage("0:0,0,0;1:1,1,1;2:1,1,1;3:1,1,1;4:1,1,1;5:1,1,1;6:1,1,1;7:1,1,1;8:1"),
            std::nullopt);
}

TEST(ReplicationMessage, EveryComposedTableParsesBackExactly) {
  for (int bits = 0; bits < 8; ++bits) {
    for (int n = 0; n < kTableEntries; ++n) {
      const InvisibilityTable table = With({{n, {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0}}});
      EXPECT_EQ(ParseReplicationMessage(ComposeReplicationMessage(table)), table) << bits << " " << n;
    }
  }
}
}  // namespace
