// The model held against the worked examples of the rules, so that a slip in
// the model is not taken for a fault of the plug-in.
#include <gtest/gtest.h>

#include "model/VisibilityRules.h"
#include "model/WorldModel.h"

namespace {
using namespace model;
using Kind = Decoded::Kind;

Table WithRow(int row, Flags flags) {
  Table table = DefaultTable();
  table[row] = flags;
  return table;
}

TEST(ModelRules, DecodesTablesByShape) {
  const struct {
    const char* text;
    Kind kind;
    size_t entries;
  } cases[] = {
      {"", Kind::NotJson, 0},
      {"{\"invisDeque\":[[true]", Kind::NotJson, 0},
      {"{\"invisDeque\":[]}", Kind::Rows, 0},
      {"{\"invisDeque\":[[true]]}", Kind::Rows, 1},
      {"{ \"x\": 1, \"invisDeque\" : [[true,false,true],[false]] }", Kind::Rows, 2},
      {"{}", Kind::WrongShape, 0},
      {"null", Kind::WrongShape, 0},
      {"[]", Kind::WrongShape, 0},
      {"{\"invisDeque\":[[true,1,true]]}", Kind::WrongShape, 0},
      {"{\"invisDeque\":[5]}", Kind::WrongShape, 0},
  };
  for (const auto& c : cases) {
    const Decoded decoded = DecodeTable(c.text);
    EXPECT_EQ(decoded.kind, c.kind) << c.text;
    EXPECT_EQ(decoded.rows.size(), c.entries) << c.text;
  }
  const std::string all = EncodeTable(DefaultTable());
  EXPECT_EQ(all.rfind("{\"invisDeque\":[[true,true,true],[true,true,true],", 0), 0u);
  EXPECT_TRUE(IsComplete(DecodeTable(all)));
  EXPECT_FALSE(IsComplete(DecodeTable(EncodeTable(WithRow(8, {true, true})))));
}

TEST(ModelRules, ReceivedMessagesOnlyClearFlags) {
  const Table all = DefaultTable();
  const struct {
    const char* message;
    std::optional<Table> stored;
  } cases[] = {
      {"3:0,1,0", WithRow(3, {false, true, false})},
      {"3:0,1,0;3:1,0,1", WithRow(3, {false, false, false})},
      {"3:a,b,c", all},
      {"3:000000", WithRow(3, {false, false, false})},
      {"03:0,0,0", WithRow(3, {false, false, false})},
      {"x:0,0,0;4:0,0,0", WithRow(4, {false, false, false})},
      {"4-0,0,0", all},
      {"9:1,1,1;1:0,1,1", WithRow(1, {false, true, true})},
      {"3:0,0", std::nullopt},
      {"3:", std::nullopt},
      {"99999999999:0,0,0", std::nullopt},
      {"", all},
  };
  for (const auto& c : cases) EXPECT_EQ(ReceivedTable(c.message), c.stored) << c.message;
  const Table table = WithRow(8, {false, false, false});
  EXPECT_EQ(ReceivedTable(ReplicationMessage(table)), table);
  EXPECT_EQ(ReplicationMessage(all).size(), 71u);
}

TEST(ModelRules, EnvelopesReachOnlyTheirClass) {
  const struct {
    const char* incoming;
    std::optional<std::string> content;
  } cases[] = {
      {"[Shroudweave][0]abc", "abc"},     {"[Shroudweave]abc", "abc"},
      {"[Shroudweave][]abc", "abc"},      {"[Shroudweave][12", "[Shroudweave][12"},
      {"[Shroudweave][7]a]b[c", "a]b[c"}, {"[shroudweave][0]abc", std::nullopt},
      {"Shroudweave]abc", std::nullopt},  {"[Shroudweave", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ContentFor(c.incoming, "Shroudweave"), c.content) << c.incoming;
  EXPECT_EQ(ContentFor("[A[B]]x", "A[B"),
            std::optional<std::string>("]x"));  // the first "]" closes the class
}

TEST(ModelRules, PanelNodesFollowTheNamesList) {
  using Nodes = std::vector<std::pair<int, std::string>>;
  const struct {
    const char* list;
    Nodes nodes;
  } cases[] = {
      {"3,Bob;1,Ann", {{1, "Ann"}, {3, "Bob"}}},
      {"0,Zed", {}},
      {"5,A,B", {{5, "A,B"}}},
      {"5,;,Ann;x,Ann", {}},
      {"4x,Dee", {{4, "Dee"}}},
      {"2,Ann;2", {}},
      {"2;2,Ann", {{2, "Ann"}}},
      {"1,A;2,B;3,C;4,D;5,E;6,F;7,G;8,H;1,Z;",
       {{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}, {5, "E"}, {6, "F"}, {7, "G"}, {8, "H"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(PanelNodes(c.list), c.nodes) << c.list;
}

TEST(ModelRules, CarsAndNamesFollowTheViewer) {
  const Table table = WithRow(4, {true, false, true});
  const Owner four{"Four", 1, 4, false, true};
  const struct {
    Viewer viewer;
    Owner owner;
    CarState state;
  } cases[] = {
      {{0, true, 1, true}, four, CarState::Hidden},                        // an opponent
      {{1, true, 1, true}, four, CarState::Shown},                         // a teammate
      {{255, true, 1, true}, four, CarState::Shown},                       // a spectator's flag
      {{0, true, 4, true}, four, CarState::Shown},                         // one's own car
      {{0, true, 4, false}, four, CarState::Hidden},                       // the own slot, without a car
      {{0, false, 1, true}, four, CarState::Untouched},                    // no local entry
      {{0, true, 1, true}, {"S", 1, 4, true, true}, CarState::Untouched},  // spectating
      {{0, true, 1, true}, {"T", 255, 4, false, true}, CarState::Untouched},
      {{0, true, 1, true}, {"N", 1, 9, false, true}, CarState::Untouched},  // no entry 9
  };
  for (const auto& c : cases) EXPECT_EQ(Decide(table, c.viewer, c.owner), c.state) << c.owner.name;

  EXPECT_EQ(NamesList({}), "1;2;3;4;5;6;7;8;");
  EXPECT_EQ(NamesList({{"A", 0, 1, false, true},
                       {"Z", 0, 0, false, true},
                       {"C", 1, 3, false, true},
                       {"S", 1, 2, true, true}}),
            "1,A;2;3,C;4;5;6;7;8;");
  const PassResult online = Pass(DecodeTable(EncodeTable(table)), true, {0, true, 1, true}, {four});
  EXPECT_EQ(online.namesList, "");
  EXPECT_EQ(online.cars.at(0).second, CarState::Hidden);
  EXPECT_EQ(Pass(DecodeTable("{\"invisDeque\":[]}"), false, {}, {}).lines,
            std::vector<std::string>{"playerInvisibilityStates is not populated!"});
}

// ---- the scripted world ----

// The seconds after the plug-in loads at which its bridge becomes ready (-1:
// never within a minute), for each way NetcodePlugin can be had.
double SecondsUntilReady(const std::string& availability, const std::string& installDelay) {
  WorldModel world;
  for (const std::string& line : {"sim delay install " + installDelay, "sim client alice " + availability,
                                  std::string("plugin load Glimmerfade")})
    EXPECT_TRUE(world.Apply(line)) << line;
  for (int tick = 0; tick <= 120 * 60; ++tick) {
    if (world.Find("alice")->bridgeReady) return tick / 120.0;
    world.Apply("sim tick");
  }
  return -1;
}

TEST(ModelWorld, BridgeFindsNetcodePluginByTheRetryRules) {
  const struct {
    const char* availability;
    const char* installDelay;
    double seconds;
  } cases[] = {
      {"loaded", "1.5", 0},       // detected inside the load hook
      {"present", "1.5", 2},      // loaded by the first pass, seen by the second
      {"installable", "1.5", 4},  // installed before the second pass, which loads it
      {"installable", "2", 4},    // the install's timer was set first, so it runs first
      {"installable", "2.5", 6},  {"installable", "37", -1},  // the 19th pass at 36 s still finds no file
      {"unavailable", "1.5", -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SecondsUntilReady(c.availability, c.installDelay), c.seconds)
        << c.availability << " after " << c.installDelay << " s";
}

TEST(ModelWorld, TablesTravelFromTheMatchHostAfterTheNetworkDelayOnly) {
  WorldModel world;
  for (const char* line :
       {"sim match arena 24", "sim client host", "plugin load Glimmerfade", "sim run arena",
        "sim client early", "plugin load Glimmerfade", "sim join arena", "invis_json 2", "sim use host"})
    ASSERT_TRUE(world.Apply(line)) << line;
  Table table = DefaultTable();
  table[3][1] = false;
  ASSERT_TRUE(world.Apply("invis_json " + EncodeTable(table)));
  world.Apply("sim tick");  // the game-thread task sends; the table arrives 0.05 s later
  ASSERT_EQ(world.Find("host")->expected.sends.size(), 1u);
  EXPECT_TRUE(world.Apply("sim client late") && world.Apply("plugin load Glimmerfade") &&
              world.Apply("sim join arena"));
  world.Apply("sim tick 5");
  EXPECT_EQ(world.Find("early")->invisJson, "2");
  world.Apply("sim tick");
  EXPECT_EQ(world.Find("early")->invisJson, EncodeTable(table));
  EXPECT_EQ(world.Find("late")->invisJson, "") << "it joined after the send";
  EXPECT_TRUE(world.Find("early")->expected.sends.empty()) << "a received table is not sent back";
  EXPECT_FALSE(world.InFlight());
}

}  // namespace
