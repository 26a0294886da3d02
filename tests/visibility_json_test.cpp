// The visibility table's JSON form: decode, store text, and the library errors.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "visibility/InvisibilityTable.h"

namespace {
const std::string kDefaultText =
    R"({"invisDeque":[[true,true,true],[true,true,true],[true,true,true],[true,true,true],[true,true,true],)"
    R"([true,true,true],[true,true,true],[true,true,true],[true,true,true]]})";

// A recognisable table that decode failures must leave untouched.
InvisibilityTable Sentinel() { return {{false}, {true, false}}; }

TEST(InvisibilityJson, DefaultTableEncodesToTheExactCompactText) {
  EXPECT_EQ(EncodeInvisibilityStates(DefaultInvisibilityTable()), kDefaultText);
}

TEST(InvisibilityJson, RoundTripIsByteForByte) {
  InvisibilityTable table = DefaultInvisibilityTable();
  table[3][1] = false;
  table[8] = {false, false, false};
  const std::string text = EncodeInvisibilityStates(table);

  InvisibilityTable decoded;
  LoadInvisibilityStates(text, decoded);
  EXPECT_EQ(decoded, table);
  EXPECT_EQ(EncodeInvisibilityStates(decoded), text);
}

TEST(InvisibilityJson, DecodeKeepsSizesAndNormalisesText) {
  struct Case {
    std::string text;
    InvisibilityTable expected;
    std::string reencoded;
  };
  const Case cases[] = {
      {R"({"invisDeque":[]})", {}, R"({"invisDeque":[]})"},
      {R"({"invisDeque":[[true]]})", {{true}}, R"({"invisDeque":[[true]]})"},
      {" {\n \"other\": 5, \"invisDeque\" : [ [ false , true , true , false ] ] }\t",
       {{false, true, true, false}},
       R"({"invisDeque":[[false,true,true,false]]})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    InvisibilityTable decoded = Sentinel();
    LoadInvisibilityStates(c.text, decoded);
    EXPECT_EQ(decoded, c.expected);
    EXPECT_EQ(EncodeInvisibilityStates(decoded), c.reencoded);
  }
}

TEST(InvisibilityJson, TextThatIsNotJsonRaisesParseErrorAndKeepsTable) {
  for (const std::string text : {"", "{", "{\"invisDeque\":[[true]]", "/* c */ {}", "[true] x", "nul"}) {
    SCOPED_TRACE(text);
    InvisibilityTable table = Sentinel();
    EXPECT_THROW(LoadInvisibilityStates(text, table), nlohmann::json::parse_error);
    EXPECT_EQ(table, Sentinel());
  }
}

TEST(InvisibilityJson, WrongShapeRaisesTheLibraryTypeErrorAndKeepsTable) {
  struct Case {
    std::string text;
    int id;
    std::string message;
  };
  const Case cases[] = {
      {"{}", 302, "type must be array, but is null"},
      {"null", 302, "type must be array, but is null"},
      {"[]", 305, "cannot use operator[] with a string argument with array"},
      {"\"x\"", 305, "cannot use operator[] with a string argument with string"},
      {"7", 305, "cannot use operator[] with a string argument with number"},
      {"true", 305, "cannot use operator[] with a string argument with boolean"},
      {R"({"invisDeque":{}})", 302, "type must be array, but is object"},
      {R"({"invisDeque":[[true,true,true],5]})", 302, "type must be array, but is number"},
      {R"({"invisDeque":[[true,1,true]]})", 302, "type must be boolean, but is number"},
      {R"({"invisDeque":[[true,null]]})", 302, "type must be boolean, but is null"},
      {R"({"invisDeque":[["true"]]})", 302, "type must be boolean, but is string"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    InvisibilityTable table = Sentinel();
    try {
      LoadInvisibilityStates(c.text, table);
      ADD_FAILURE() << "no type error";
    } catch (const nlohmann::json::type_error& e) {
      EXPECT_EQ(e.id, c.id);
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_EQ(table, Sentinel());
  }
}

TEST(InvisibilityJson, NonThrowingDecodeSortsOutcomes) {
  using Outcome = DecodedInvisibilityStates::Outcome;
  EXPECT_EQ(DecodeInvisibilityStates(kDefaultText).outcome, Outcome::Decoded);
  EXPECT_EQ(DecodeInvisibilityStates(kDefaultText).table, DefaultInvisibilityTable());
  EXPECT_EQ(DecodeInvisibilityStates("").outcome, Outcome::NotJson);
  const DecodedInvisibilityStates wrong = DecodeInvisibilityStates("[]");
  EXPECT_EQ(wrong.outcome, Outcome::WrongShape);
  EXPECT_NE(wrong.error.find("type_error.305"), std::string::npos) << wrong.error;
}

TEST(InvisibilityJson, CompletenessNeedsNineEntriesOfThreeFlags) {
  InvisibilityTable table = DefaultInvisibilityTable();
  EXPECT_TRUE(IsCompleteInvisibilityTable(table));
  table.push_back({});  // extra entries are never read
  table[0].push_back(false);
  EXPECT_TRUE(IsCompleteInvisibilityTable(table));
  table[8].pop_back();
  EXPECT_FALSE(IsCompleteInvisibilityTable(table));
  EXPECT_FALSE(IsCompleteInvisibilityTable(InvisibilityTable(8, std::deque<bool>(3, true))));
}
}  // namespace
