// The simulated NetcodePlugin: its variables, and how a text written into
// "NETCODE_Message_Out" on one client arrives in "NETCODE_Message_In" on the
// others of the same match.
#include "common/bridge_support.h"

namespace {

using namespace netcode_test;

class Peer : public SimulationTest {
 protected:
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);
  sim::Client& sender = Sim().AddClient("sender");
  sim::Client& receiver = Sim().AddClient("receiver");

  void SetUp() override {
    match.AddPlayer({"Ann", 0, false, 1, true});
    match.AddPlayer({"Ben", 1, false, 2, true});
    for (sim::Client* client : {&sender, &receiver})
      client->SetNetcodeAvailability(sim::NetcodeAvailability::Loaded);
    sender.RunMatch(match);
    sender.Control("Ann");
    receiver.JoinMatch(match);
    receiver.Control("Ben");
  }
  std::string Incoming(const std::string& rest) const {
    return "[Shroudweave][" + std::to_string(receiver.PriAddress("Ann")) + "]" + rest;
  }
};

// The class name and the rest pass unchanged; the sender becomes the address of
// the receiver's own replica of the sending player, after the network delay.
TEST_F(Peer, CarriesATextToTheOtherClientsOfTheMatch) {
  sim::Client& stranger = Sim().AddClient("stranger");
  stranger.SetNetcodeAvailability(sim::NetcodeAvailability::Loaded);

  ASSERT_TRUE(sender.SetCvar(kNetcodeMessageOutCvar, "[Shroudweave]a]b[c\nd"));
  Sim().AdvanceSeconds(Sim().NetworkDelay() / 2);
  EXPECT_EQ(receiver.CvarValue(kNetcodeMessageInCvar), "");
  Sim().AdvanceSeconds(Sim().NetworkDelay());
  EXPECT_EQ(receiver.CvarValue(kNetcodeMessageInCvar), Incoming("a]b[c\nd"));
  EXPECT_EQ(sender.CvarValue(kNetcodeMessageInCvar), "");
  EXPECT_EQ(stranger.CvarValue(kNetcodeMessageInCvar), "");
}

TEST_F(Peer, SenderWithoutAPlayerIsZero) {
  sender.SetNoController();
  ASSERT_TRUE(sender.SetCvar(kNetcodeMessageOutCvar, "[X]y"));
  Sim().AdvanceSeconds(0.1);
  EXPECT_EQ(receiver.CvarValue(kNetcodeMessageInCvar), "[X][0]y");
}

TEST_F(Peer, DropsTextsWithoutALeadingClassName) {
  for (const std::string text : {"abc", "x[Shroudweave]abc", "[Shroudweave", ""}) {
    SCOPED_TRACE(text);
    ASSERT_TRUE(receiver.SetCvar(kNetcodeMessageInCvar, "before"));
    ASSERT_TRUE(sender.SetCvar(kNetcodeMessageOutCvar, "[Shroudweave]set"));
    ASSERT_TRUE(sender.SetCvar(kNetcodeMessageOutCvar, text));
    Sim().AdvanceSeconds(0.1);
    EXPECT_EQ(receiver.CvarValue(kNetcodeMessageInCvar), Incoming("set"));
  }
}

// Several texts sent in one turn each arrive as a change of their own, in order:
// a bridge that reads the variable inside the change sees every one.
TEST_F(Peer, OneChangePerMessageInSendOrder) {
  RecordingBridge bridge(receiver);
  ASSERT_TRUE(bridge.readyAtOnce);
  for (const char* text : {"[Shroudweave]one", "[Other]two", "[Shroudweave]three", "[Shroudweave]three"}) {
    ASSERT_TRUE(sender.SetCvar(kNetcodeMessageOutCvar, text));
  }
  Sim().AdvanceSeconds(0.1);
  ASSERT_EQ(bridge.deliveries->size(), 3u);
  const uintptr_t ann = receiver.PriAddress("Ann");
  EXPECT_EQ((*bridge.deliveries)[0].content, "one");
  EXPECT_EQ((*bridge.deliveries)[1].content, "three");
  EXPECT_EQ((*bridge.deliveries)[2].content, "three");
  for (const Delivery& delivery : *bridge.deliveries) EXPECT_EQ(delivery.sender, ann);
}

}  // namespace
