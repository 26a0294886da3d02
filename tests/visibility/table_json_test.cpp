// The visibility table's JSON form, without the host.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "visibility/VisibilityTable.h"

using namespace glimmerfade;

namespace {
const std::string kDefaultText =
    R"({"invisDeque":[[true,true,true],[true,true,true],[true,true,true],[true,true,true],[true,true,true],)"
    R"([true,true,true],[true,true,true],[true,true,true],[true,true,true]]})";

TEST(VisibilityTableJson, StoreTextIsCompactAndRoundTripsByteForByte) {
  EXPECT_EQ(EncodeVisibilityTable(DefaultVisibilityTable()), kDefaultText);
  VisibilityTable table = DefaultVisibilityTable();
  table[8] = {false, true, false};
  VisibilityTable decoded;
  LoadInvisibilityStates(EncodeVisibilityTable(table), decoded);
  EXPECT_EQ(decoded, table);
  EXPECT_EQ(EncodeVisibilityTable(decoded), EncodeVisibilityTable(table));
}

// Each text decodes to a table (shown re-encoded) or raises the library's
// error, named by its kind and number, not its wording, which the product
// only passes on; a failed decode leaves the caller's table as it was.
TEST(VisibilityTableJson, DecodeResults) {
  struct Case {
    std::string text;
    std::string result;  // re-encoded table, "parse" or "type error N"
  };
  const Case cases[] = {
      {R"({"invisDeque":[]})", R"({"invisDeque":[]})"},
      {R"({"invisDeque":[[true]]})", R"({"invisDeque":[[true]]})"},
      {" {\"x\": 5,\n \"invisDeque\" : [ [false, true,true,false] ] } ",
       R"({"invisDeque":[[false,true,true,false]]})"},
      {"", "parse"},
      {"{\"invisDeque\":[[true]]", "parse"},
      {"/* comment */ {}", "parse"},
      {"{}", "type error 302"},
      {"null", "type error 302"},
      {"[]", "type error 305"},
      {"7", "type error 305"},
      {R"({"invisDeque":{}})", "type error 302"},
      {R"({"invisDeque":[[true],"x"]})", "type error 302"},
      {R"({"invisDeque":[[true,1,true]]})", "type error 302"},
  };
  const VisibilityTable before = {{false}, {true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    VisibilityTable table = before;
    try {
      LoadInvisibilityStates(c.text, table);
      EXPECT_EQ(EncodeVisibilityTable(table), c.result);
    } catch (const nlohmann::json::parse_error&) {
      EXPECT_EQ("parse", c.result);
      EXPECT_EQ(table, before);
    } catch (const nlohmann::json::type_error& e) {
      EXPECT_EQ("type error " + std::to_string(e.id), c.result);
      EXPECT_EQ(table, before);
    }
  }
}

}  // namespace
