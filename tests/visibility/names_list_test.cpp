// The names list: composing it from name slots and reading it back, and the
// leading-number reader it shares with the replication message.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "visibility/LeadingInteger.h"
#include "visibility/NamesList.h"

using namespace glimmerfade;

namespace {
NameSlots Slots(std::initializer_list<std::pair<int, std::string>> names) {
  NameSlots slots;
  for (const auto& [n, name] : names) slots[n] = name;
  return slots;
}

// Composed over a buffer that held a longer list before.
std::string Composed(const NameSlots& slots) {
  std::string list = "9,a list that was here before;";
  ComposeNamesListInto(slots, list);
  return list;
}

TEST(NamesList, ComposeListsSlotsOneToEightWithoutSemicolonsInNames) {
  EXPECT_EQ(Composed(Slots({})), "1;2;3;4;5;6;7;8;");
  EXPECT_EQ(Composed(Slots({{1, "Alpha"}, {3, "Bravo"}})), "1,Alpha;2;3,Bravo;4;5;6;7;8;");
  EXPECT_EQ(Composed(Slots({{0, "Zero"}, {8, "a,b;c"}})), "1;2;3;4;5;6;7;8,a,bc;");
  const NameSlots written = Slots({{1, "Al, the 2nd"}, {4, " spaced "}});
  EXPECT_EQ(ReadNamesList(Composed(written)), written);
}

// What std::stoi makes of a text, as the reader reports it.
LeadingInteger ByStoi(const std::string& text) {
  try {
    return {LeadingInteger::Status::Read, std::stoi(text)};
  } catch (const std::invalid_argument&) {
    return {LeadingInteger::Status::NoNumber, 0};
  } catch (const std::out_of_range&) {
    return {LeadingInteger::Status::OutOfRange, 0};
  }
}

TEST(LeadingInteger, ReadsWhatStoiReads) {
  const char* const texts[] = {"",
                               " ",
                               "7",
                               "07",
                               "-7",
                               "+7",
                               "  \t\n\v\f\r42",
                               "42abc",
                               "4 2",
                               "x4",
                               "+",
                               "-",
                               "+-3",
                               "-+3",
                               "++3",
                               "--3",
                               "+ 3",
                               "- 3",
                               " -0",
                               "2147483647",
                               "2147483648",
                               "-2147483648",
                               "-2147483649",
                               "99999999999999999999999",
                               "-99999999999999999999999",
                               "000000000000000000000012",
                               "0x1A",
                               "1e3",
                               "\xef\xbc\x91",
                               "\2005",
                               "3:0,0,0",
                               "12,Name"};
  for (const std::string text : texts) {
    const LeadingInteger read = ReadLeadingInteger(text);
    const LeadingInteger expected = ByStoi(text);
    EXPECT_EQ(read.status, expected.status) << '"' << text << '"';
    EXPECT_EQ(read.value, expected.value) << '"' << text << '"';
  }
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
