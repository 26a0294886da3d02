// The names list: composing it from name slots and reading it back.
#include <gtest/gtest.h>

#include <string>

#include "visibility/NamesList.h"

namespace {
NameSlots Slots(std::initializer_list<std::pair<int, std::string>> names) {
  NameSlots slots;
  for (const auto& [n, name] : names) slots[n] = name;
  return slots;
}

TEST(NamesList, ComposeListsSlotsOneToEightWithoutSemicolonsInNames) {
  EXPECT_EQ(ComposeNamesList(Slots({})), "1;2;3;4;5;6;7;8;");
  EXPECT_EQ(ComposeNamesList(Slots({{1, "Alpha"}, {3, "Bravo"}})), "1,Alpha;2;3,Bravo;4;5;6;7;8;");
  EXPECT_EQ(ComposeNamesList(Slots({{0, "Zero"}, {8, "a,b;c"}})), "1;2;3;4;5;6;7;8,a,bc;");
  const NameSlots written = Slots({{1, "Al, the 2nd"}, {4, " spaced "}});
  EXPECT_EQ(ReadNamesList(ComposeNamesList(written)), written);
}

TEST(NamesList, ReadTakesStoiNumbersAndSkipsEntriesWithoutASlot) {
  struct Case {
    std::string text;
    NameSlots expected;
  };
  const Case cases[] = {
      {"", Slots({})},
      {" +2,Two;03,Three;4x,Four;0,Zero", Slots({{0, "Zero"}, {2, "Two"}, {3, "Three"}, {4, "Four"}})},
      {";x,Lost;,NoNumber;5,Five;", Slots({{5, "Five"}})},
      {"9,Nine;-1,Minus;99999999999,Huge;2,Two;", Slots({{2, "Two"}})},
      {"3,First;3,Second;6,Named;6;", Slots({{3, "Second"}})},
      {"1,a;1,b;1,c;1,d;1,e;1,f;1,g;1,h;2,ninth;", Slots({{1, "h"}})},  // first 8 entries only
  };
  for (const Case& c : cases) EXPECT_EQ(ReadNamesList(c.text), c.expected) << c.text;
}
}  // namespace
