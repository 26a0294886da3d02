// Thousands of incoming messages in one burst across several clients: each is
// handled once and in order, every client ends with the table of the last one
// (in "invis_json" and on its screen), and what stays held does not grow with
// the number of messages.
#include "common/HeapCounter.h"
#include "match_test.h"

namespace {

using namespace match_test;

constexpr int kReceivers = 3;

class Flood : public MatchTest {
 protected:
  sim::Client* host = nullptr;
  std::vector<sim::Client*> receivers;
  std::vector<StoreCounter> counters;

  void SetUp() override {
    AddPlayers();
    host = &AddHost();
    const char* controlled[kReceivers] = {"Ben", "Cid", ""};
    for (int i = 0; i < kReceivers; ++i) {
      sim::Client& receiver = AddJoiner("receiver" + std::to_string(i));
      receiver.Control(controlled[i]);
      receiver.RunCommand("shroudweave_enabled 1");
      counters.emplace_back(receiver);
      receivers.push_back(&receiver);
    }
  }

  // Sends the messages numbered first to first + count - 1 in one burst, mixed
  // with texts that are not for this plug-in, and waits until all arrived.
  void Burst(unsigned first, unsigned count) {
    for (auto& counter : counters) counter.Restart(first);
    for (unsigned n = first; n < first + count; ++n) {
      SendRaw(*host, "[Shroudweave]" + NumberedMessage(n));
      if (n % 10 == 3) SendRaw(*host, "[OtherPlugin]" + NumberedMessage(n + 1));
      if (n % 10 == 6) SendRaw(*host, "[shroudweave]" + NumberedMessage(n + 1));
      if (n % 10 == 9) SendRaw(*host, "no envelope " + NumberedMessage(n + 1));
    }
    Deliver();
  }
};

TEST_F(Flood, EveryMessageIsHandledOnceAndTheLastTableHoldsEverywhere) {
  constexpr unsigned kMessages = 3000;
  Burst(0, kMessages);
  const unsigned last = kMessages - 1;
  const VisibilityTable table = NumberedTable(last);
  for (int i = 0; i < kReceivers; ++i) {
    SCOPED_TRACE(receivers[i]->Name());
    EXPECT_EQ(counters[i].Stores(), kMessages);
    EXPECT_EQ(counters[i].OutOfOrder(), 0u);
    EXPECT_EQ(receivers[i]->CvarValue(kInvisJsonCvar), NumberedJson(last));
  }
  Sim().Tick();
  // Ben (team 1) sees Ann (slot 1) as an opponent and Cid (slot 3) as a teammate.
  EXPECT_EQ(receivers[0]->CarHidden("Ann"), !table[1][1]);
  EXPECT_EQ(receivers[0]->CarHidden("Cid"), !table[3][0]);
  EXPECT_EQ(receivers[1]->CarHidden("Ben"), !table[2][0]);
}

// The first burst sets the host's queues to their largest size; the bursts
// after it must keep nothing more, however many messages they bring.
TEST_F(Flood, HeldMemoryDoesNotGrowWithTheNumberOfMessages) {
  constexpr unsigned kMessages = 4000;
  constexpr unsigned kBursts = 3;
  Burst(0, kMessages);
  const long long before = heap_counter::LiveBytes();
  for (unsigned burst = 1; burst <= kBursts; ++burst) Burst(burst * kMessages, kMessages);
  const long long growth = heap_counter::LiveBytes() - before;
  for (const StoreCounter& counter : counters) {
    EXPECT_EQ(counter.Stores(), kMessages);
    EXPECT_EQ(counter.OutOfOrder(), 0u);
  }
  // Keeping as much as one byte of each handled message would be 36000 bytes.
  EXPECT_LT(growth, 1024) << "bytes kept after " << kBursts * kMessages << " more messages to each of "
                          << kReceivers << " clients";
}

}  // namespace
