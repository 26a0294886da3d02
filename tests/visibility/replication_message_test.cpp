// The replication message: composing it from a table and rebuilding a table.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/Tables.h"
#include "visibility/ReplicationMessage.h"

using namespace glimmerfade;

namespace {

TEST(ReplicationMessage, EveryComposedTableParsesBackExactly) {
  EXPECT_EQ(ComposeReplicationMessage(*ReplicatedPart(DefaultVisibilityTable())), tables::kAllVisibleMessage);
  for (int bits = 0; bits < 8; ++bits) {
    for (int n = 0; n < kTableEntries; ++n) {
      const VisibilityTable table = tables::With({{n, {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0}}});
      EXPECT_EQ(ParseReplicationMessage(ComposeReplicationMessage(*ReplicatedPart(table))), table)
          << bits << " " << n;
    }
  }
}

TEST(ReplicationMessage, ParseOnlyClearsFlagsOfTheNumberedRow) {
  const std::deque<bool> off = {false, false, false};
  const struct {
    std::string message;
    std::optional<VisibilityTable> expected;  // nullopt: whole message dropped
  } cases[] = {
      {"3:0,1,0;3:1,0,1", tables::With({{3, off}})},
      {"5:1,1,1;2:0,0,0", tables::With({{2, off}})},
      {"3:a,b,c", DefaultVisibilityTable()},
      {"3:000000", tables::With({{3, off}})},
      {"3:0,0,0,0,0", tables::With({{3, off}})},
      {" +03junk:0,1,1", tables::With({{3, {false, true, true}}})},
      {"x:0,0,0;:0,0,0;4-0,0,0;4:0,0,0", tables::With({{4, off}})},
      {"", DefaultVisibilityTable()},
      {";;;;;;;;7:0,0,0;6:0,0,0", tables::With({{7, off}})},  // piece 9 keeps its ";"
      {"3:0,0", std::nullopt},
      {"3:", std::nullopt},
      {"0:1,1,1;1:1,1,1;2:1,1,1;3:1,1,1;4:1,1,1;5:1,1,1;6:1,1,1;7:1,1,1;8:1", std::nullopt},
      {"1:0,0,0;2147483648:0,0,0", std::nullopt},
      {"-2147483649:0,0,0", std::nullopt},
      {"9:0,0,0;-1:0,0,0;2147483647:0,0,0;1:0,0,0", tables::With({{1, off}})},  // no such rows
  };
  for (const auto& c : cases) EXPECT_EQ(ParseReplicationMessage(c.message), c.expected) << c.message;
}
}  // namespace
