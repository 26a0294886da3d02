// The replication receiver on any message text: the parse into a table, and
// the receiving handler of a client in an online game storing that table.
#include "FuzzWorld.h"
#include "visibility/ReplicationMessage.h"
#include "visibility/VisibilityTable.h"

using namespace glimmerfade;

namespace {

const char* const kUnchanged = "previous";

// A client in an online game with the receiving handler on a plug-in object of
// the fuzzer's own, and its "invis_json".
struct ReceiverWorld : fuzz::ScratchWorld {
  sim::Client& client = Simulation().AddClient("receiver");
  CVarWrapper invisJson =
      client.CvarManager()->registerCvar(kInvisJsonCvar, "", "", true, false, 0, false, 0, false);
  std::unique_ptr<Shroudweave> plugin = fuzz::MakeDetachedPlugin(client);

  // Online, where received tables are stored; the playlist plays no part in that.
  ReceiverWorld() : ScratchWorld("replication") { client.JoinMatch(Simulation().CreateMatch("online", 24)); }
};

bool IsNineByThree(const VisibilityTable& table) {
  if (table.size() != static_cast<size_t>(kTableEntries)) return false;
  for (const auto& playerBools : table)
    if (playerBools.size() != static_cast<size_t>(kEntryFlags)) return false;
  return true;
}

// 27 flags from the first bytes of the input.
VisibilityTable TableFromBits(const std::string& input) {
  VisibilityTable table = DefaultVisibilityTable();
  for (int bit = 0; bit < kTableEntries * kEntryFlags; ++bit) {
    const size_t byte = static_cast<size_t>(bit / 8);
    const bool set = byte < input.size() && (static_cast<unsigned char>(input[byte]) >> (bit % 8)) & 1;
    table[bit / kEntryFlags][bit % kEntryFlags] = !set;
  }
  return table;
}

// A message written for a table reads back as that table, whatever follows it.
void CheckWrittenMessageReadsBack(const std::string& input) {
  const VisibilityTable table = TableFromBits(input);
  const std::optional<VisibilityTable> read =
      ParseReplicationMessage(ComposeReplicationMessage(*ReplicatedPart(table)) + input);
  fuzz::Require(read && *read == table, "a written message, then anything, reads back as its table");
}

// The handler stores the parse's 9x3 table whole, or leaves "invis_json" alone.
void CheckReceiverStoresWholeTableOrNothing(const std::string& message) {
  const std::optional<VisibilityTable> parsed = ParseReplicationMessage(message);
  fuzz::Require(!parsed || IsNineByThree(*parsed), "a parsed message is 9 entries of 3 flags");

  ReceiverWorld& world = fuzz::ReusedWorld<ReceiverWorld>(100000);
  world.invisJson.setValue(kUnchanged);
  world.plugin->onNetcodeMessage(message, PriWrapper(0));
  const std::string stored = world.invisJson.getStringValue();
  if (!parsed) {
    fuzz::Require(stored == kUnchanged, "a dropped message stores nothing");
    return;
  }
  const DecodedVisibilityTable decoded = DecodeVisibilityTable(stored);
  fuzz::Require(decoded.outcome == DecodedVisibilityTable::Outcome::Decoded && IsNineByThree(decoded.table),
                "the receiver stores 9 entries of 3 flags");
  fuzz::Require(decoded.table == *parsed, "the receiver stores the table the message gives");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = fuzz::AsText(data, size);
  CheckReceiverStoresWholeTableOrNothing(input);
  CheckWrittenMessageReadsBack(input);
  return 0;
}
