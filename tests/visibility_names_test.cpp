// The names list: composing from name slots and reading it back.
#include <gtest/gtest.h>

#include <string>

#include "visibility/NamesList.h"

namespace {
NameSlots Slots(std::initializer_list<std::pair<int, std::string>> names) {
  NameSlots slots;
  for (const auto& [n, name] : names) slots[n] = name;
  return slots;
}

TEST(NamesList, ComposesEightEntriesInOrder) {
  struct Case {
    NameSlots slots;
    std::string expected;
  };
  const Case cases[] = {
      {Slots({}), "1;2;3;4;5;6;7;8;"},
      {Slots({{1, "Alpha"}, {3, "Bravo"}}), "1,Alpha;2;3,Bravo;4;5;6;7;8;"},
      {Slots({{0, "Zero"}, {8, "Eight"}}), "1;2;3;4;5;6;7;8,Eight;"},
      {Slots({{2, "a,b"}}), "1;2,a,b;3;4;5;6;7;8;"},
      {Slots({{2, "x;y;"}}), "1;2,xy;3;4;5;6;7;8;"},
  };
  for (const Case& c : cases) EXPECT_EQ(ComposeNamesList(c.slots), c.expected);
}

TEST(NamesList, WriteThenReadKeepsNamesExceptSlotZeroAndSemicolons) {
  const NameSlots written = Slots({{0, "Zero"}, {1, "Al, the 2nd"}, {4, " spaced "}, {7, "semi;colon"}});
  const NameSlots read = ReadNamesList(ComposeNamesList(written));
  EXPECT_EQ(read, Slots({{1, "Al, the 2nd"}, {4, " spaced "}, {7, "semicolon"}}));
}

TEST(NamesList, ReadsNumbersAsStoiDoesAndSkipsUnreadableEntries) {
  struct Case {
    std::string text;
    NameSlots expected;
  };
  const Case cases[] = {
      {"", Slots({})},
      {"1,Alpha;2;3,Bravo;4;5;6;7;8;", Slots({{1, "Alpha"}, {3, "Bravo"}})},
      {" +2,Two;03,Three;4x,Four;", Slots({{2, "Two"}, {3, "Three"}, {4, "Four"}})},
      {";x,Lost;,NoNumber;5,Five;", Slots({{5, "Five"}})},
      {"0,Zero;", Slots({{0, "Zero"}})},
      {"9,Nine;-1,Minus;99999999999,Huge;2,Two;", Slots({{2, "Two"}})},
      {"3,First;3,Second;", Slots({{3, "Second"}})},
      {"3,Named;3;", Slots({})},
      {"6,Last", Slots({{6, "Last"}})},
      // Only the first 8 entries are read.
      {"1,a;1,b;1,c;1,d;1,e;1,f;1,g;1,h;2,ninth;", Slots({{1, "h"}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReadNamesList(c.text), c.expected);
  }
}
}  // namespace
