// The message envelope: what a send writes into "NETCODE_Message_Out", which
// incoming texts reach the handler with which content and sender, the C lines,
// and the sender's name in the parsed-message line.
#include "common/bridge_support.h"

namespace {

using namespace netcode_test;

// A ready bridge named "Shroudweave", owned by the test, on a client with NetcodePlugin.
class Envelope : public OneClient {
 protected:
  void SetUp() override {
    client.SetNetcodeAvailability(sim::NetcodeAvailability::Loaded);
    probe = std::make_unique<RecordingBridge>(client);
    ASSERT_TRUE(probe->readyAtOnce);
  }
  std::unique_ptr<RecordingBridge> probe;
};

TEST_F(Envelope, SendPutsTheClassNameInBracketsBeforeTheText) {
  for (const std::string message : {"", "abc", "[x]y]z[", "line\nfeed\r\n", "0:1,1,1;8:0,0,0", " spaced "}) {
    SCOPED_TRACE(message);
    ASSERT_TRUE(client.SetCvar(kNetcodeMessageOutCvar, "unchanged"));
    probe->bridge->SendNewMessage(message);
    EXPECT_EQ(client.CvarValue(kNetcodeMessageOutCvar), "[Shroudweave]" + message);
  }
}

TEST_F(Envelope, SendWritesItsCLineFromLevelThree) {
  for (int level : {2, 3}) {
    SCOPED_TRACE(level);
    ASSERT_TRUE(client.SetCvar(kNetcodeLogLevelCvar, std::to_string(level)));
    const size_t mark = Mark();
    probe->bridge->SendNewMessage("abc");
    std::vector<std::string> lines = Since(mark);
    ASSERT_EQ(lines.size(), level == 3 ? 1u : 0u);
    if (level == 3) {
      EXPECT_TRUE(IsLevelLine(lines[0], 'C', "Sending NetcodeManager message: [Shroudweave]abc"));
    }
  }
}

TEST_F(Envelope, IncomingTextsAndWhatTheHandlerGets) {
  struct Case {
    std::string incoming;
    bool delivered;
    std::string content;
    uintptr_t sender;
  };
  const Case cases[] = {
      {"[Shroudweave][0]abc", true, "abc", 0},
      {"[Shroudweave]abc", true, "abc", 0},               // no sender field
      {"[Shroudweave][]abc", true, "abc", 0},             // empty sender field
      {"[Shroudweave][12", true, "[Shroudweave][12", 0},  // unclosed: the whole text
      {"[Shroudweave][7]a]b[c", true, "a]b[c", 7},
      {"[Shroudweave][42abc]x", true, "x", 42},
      {"[Shroudweave][  42]x", true, "x", 42},
      {"[Shroudweave][abc]x", true, "x", 0},  // not a number: null sender
      {"[Shroudweave][0]", true, "", 0},
      {"[Shroudweave][3]line\nfeed", true, "line\nfeed", 3},
      {"[Shroudweave][5][Shroudweave]x", true, "[Shroudweave]x", 5},
      {"[Other][0]abc", false, "", 0},
      {"[shroudweave][0]abc", false, "", 0},  // case differs
      {"[Shroudweave2][0]abc", false, "", 0},
      {"[Shroudweav][0]abc", false, "", 0},
      {"x[Shroudweave][0]abc", false, "", 0},  // does not begin with "["
      {" [Shroudweave][0]abc", false, "", 0},
      {"Shroudweave", false, "", 0},  // no "]" at all
      {"[Shroudweave", false, "", 0},
      {"", false, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.incoming);
    probe->deliveries->clear();
    ASSERT_TRUE(client.SetCvar(kNetcodeMessageInCvar, c.incoming));
    if (!c.delivered) {
      EXPECT_TRUE(probe->deliveries->empty());
      continue;
    }
    ASSERT_EQ(probe->deliveries->size(), 1u);
    EXPECT_EQ(probe->deliveries->front().content, c.content);
    EXPECT_EQ(probe->deliveries->front().sender, c.sender);
  }
}

// What a sending client writes, copied unchanged into "NETCODE_Message_In", is
// delivered with a null sender unless the text itself begins with "[".
TEST_F(Envelope, OutgoingEnvelopeCopiedInIsDeliveredWithNullSender) {
  for (const std::string message : {"0:1,1,1", "", "a]b"}) {
    SCOPED_TRACE(message);
    probe->deliveries->clear();
    probe->bridge->SendNewMessage(message);
    ASSERT_TRUE(client.SetCvar(kNetcodeMessageInCvar, *client.CvarValue(kNetcodeMessageOutCvar)));
    ASSERT_EQ(probe->deliveries->size(), 1u);
    EXPECT_EQ(probe->deliveries->front().content, message);
    EXPECT_EQ(probe->deliveries->front().sender, 0u);
  }
}

// The parser alone, with no client: it is a function of the text.
TEST(EnvelopeParser, SplitsFieldsWithoutNesting) {
  struct Case {
    std::string text, className, content;
    uintptr_t sender;
  };
  const Case cases[] = {
      {"[A[B]]x", "A[B", "]x", 0},  // the first "]" closes the class name
      {"[A][1]", "A", "", 1},
      {"[][9]z", "", "z", 9},
      {"no brackets", "", "o brackets", 0},  // no class field: sender read at 1
      {"[A", "", "[A", 0},                   // unclosed: whole text from position 0
      {"[A][18446744073709551615]z", "A", "z", UINTPTR_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    NetcodeMessage message = ParseMessage(c.text);
    EXPECT_EQ(message.pluginClassName, c.className);
    EXPECT_EQ(message.messageContent, c.content);
    EXPECT_EQ(message.sender.memory_address, c.sender);
  }
}

// The real plug-in on one client, NetcodePlugin beside it: which C lines a
// delivered and a foreign message write at each level.
class EnvelopeLines : public OneClient {
 protected:
  void SetUp() override {
    client.SetNetcodeAvailability(sim::NetcodeAvailability::Loaded);
    LoadModule("Glimmerfade");
  }
  std::vector<std::string> Receive(const std::string& text) {
    const size_t mark = Mark();
    EXPECT_TRUE(client.SetCvar(kNetcodeMessageInCvar, text));
    return Since(mark);
  }
  static std::string Parsed(const std::string& sender, const std::string& content) {
    return "Parsed message:\nPluginClassName: Shroudweave\nSender: " + sender +
           "\nMessageContent: " + content;
  }
};

TEST_F(EnvelopeLines, CLinesOnlyFromLevelThree) {
  for (int level : {0, 1, 2, 3, 4}) {
    SCOPED_TRACE(level);
    ASSERT_TRUE(client.SetCvar(kNetcodeLogLevelCvar, std::to_string(level)));
    std::vector<std::string> mine = Receive("[Shroudweave][0]abc");
    std::vector<std::string> foreign = Receive("[Other][0]abc");
    if (level < 3) {
      EXPECT_TRUE(mine.empty());
      EXPECT_TRUE(foreign.empty());
      continue;
    }
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_TRUE(IsLevelLine(mine[0], 'C', "Receiving message: [Shroudweave][0]abc")) << mine[0];
    EXPECT_TRUE(IsLevelLine(mine[1], 'C', Parsed("NULL", "abc"))) << mine[1];
    ASSERT_EQ(foreign.size(), 1u);
    EXPECT_TRUE(IsLevelLine(foreign[0], 'C', "Receiving message: [Other][0]abc")) << foreign[0];
  }
}

// The sender's name is read only for a player entry of the current game; any
// other address shows "NULL" without the host being asked about it.
TEST_F(EnvelopeLines, SenderNameOnlyForPlayersOfTheCurrentGame) {
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);
  match.AddPlayer({"Bob", 0, false, 1, true});
  sim::Client& other = Sim().AddClient("other");
  other.JoinMatch(match);
  client.RunMatch(match);
  ASSERT_TRUE(client.SetCvar(kNetcodeLogLevelCvar, "3"));

  struct Case {
    const char* what;
    uintptr_t address;
    std::string name;
  };
  const Case cases[] = {
      {"own replica of Bob", client.PriAddress("Bob"), "Bob"},
      {"made-up address", 0x10, "NULL"},
      {"made-up large address", 0xdeadbeef000, "NULL"},
      {"another client's replica of Bob", other.PriAddress("Bob"), "NULL"},
  };
  ASSERT_NE(cases[0].address, 0u);
  ASSERT_NE(cases[3].address, 0u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t lookups = sim::Simulation::UnknownObjectLookups();
    std::vector<std::string> lines = Receive("[Shroudweave][" + std::to_string(c.address) + "]hi");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(IsLevelLine(lines[1], 'C', Parsed(c.name, "hi"))) << lines[1];
    EXPECT_EQ(sim::Simulation::UnknownObjectLookups(), lookups);
  }
  // A game that hands out no roster names nobody, not even its own players.
  client.SetNullObject(sim::WorldObject::PlayerArray, true);
  const std::vector<std::string> lines = Receive("[Shroudweave][" + std::to_string(cases[0].address) + "]hi");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(IsLevelLine(lines[1], 'C', Parsed("NULL", "hi"))) << lines[1];

  // Out of every game, Bob's entry of the match left is nobody's to read.
  client.SetNullObject(sim::WorldObject::PlayerArray, false);
  client.LeaveMatch();
  const size_t lookups = sim::Simulation::UnknownObjectLookups();
  const std::vector<std::string> left = Receive("[Shroudweave][" + std::to_string(cases[0].address) + "]hi");
  ASSERT_EQ(left.size(), 2u);
  EXPECT_TRUE(IsLevelLine(left[1], 'C', Parsed("NULL", "hi"))) << left[1];
  EXPECT_EQ(sim::Simulation::UnknownObjectLookups(), lookups);
}

TEST_F(EnvelopeLines, SenderNameInAnOnlineGame) {
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);
  match.AddPlayer({"Bob", 1, false, 2, true});
  client.JoinMatch(match);
  ASSERT_TRUE(client.SetCvar(kNetcodeLogLevelCvar, "3"));
  std::vector<std::string> lines =
      Receive("[Shroudweave][" + std::to_string(client.PriAddress("Bob")) + "]hi");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(IsLevelLine(lines[1], 'C', Parsed("Bob", "hi"))) << lines[1];
}

}  // namespace
