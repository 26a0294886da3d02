#pragma once

// Shared by the tests of whole matches: their fixture around one match
// (common/MatchWorld.h), and numbered tables to send through it.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "common/MatchWorld.h"
#include "common/bridge_support.h"
#include "visibility/EnforcementPass.h"
#include "visibility/ReplicationMessage.h"
#include "visibility/VisibilityTable.h"

namespace match_test {

using namespace glimmerfade;

using namespace netcode_test;

// A table with a flag pattern of its own for every number: 27 bits of n, each
// clear bit a hidden flag.
inline VisibilityTable NumberedTable(unsigned n) {
  VisibilityTable table = DefaultVisibilityTable();
  for (int bit = 0; bit < kTableEntries * kEntryFlags; ++bit)
    table[bit / kEntryFlags][bit % kEntryFlags] = (n >> bit) & 1u;
  return table;
}

inline std::string NumberedJson(unsigned n) { return EncodeVisibilityTable(NumberedTable(n)); }
inline std::string NumberedMessage(unsigned n) {
  return ComposeReplicationMessage(*ReplicatedPart(NumberedTable(n)));
}

// The fixture of the tests of whole matches: a match of the enforced playlist
// with players Ann (slot 1, team 0), Ben (slot 2, team 1) and Cid (slot 3,
// team 1). "host" runs it and controls Ann; every other client joins it online
// and controls no player. Every client has NetcodePlugin and Glimmerfade loaded.
class MatchTest : public SimulationTest {
 protected:
  MatchWorld world{Sim()};
  sim::Match& match = world.match;

  sim::Client& AddHost() { return world.AddHost("host", "Ann"); }
  sim::Client& AddJoiner(const std::string& name) { return world.AddJoiner(name); }
  void AddPlayers() {
    world.AddPlayers({{"Ann", 0, false, 1, true}, {"Ben", 1, false, 2, true}, {"Cid", 1, false, 3, true}});
  }
  // Writes an outgoing envelope on the client, as its bridge would.
  static void SendRaw(sim::Client& from, const std::string& envelope) {
    ASSERT_TRUE(from.SetCvar(kNetcodeMessageOutCvar, envelope));
  }
  void Deliver() { world.Deliver(); }
};

// Counts the changes of a client's "invis_json" through a callback of the
// host's own (it belongs to no plug-in, so unloads leave it in place), and
// checks that the n-th change stores NumberedJson(first + n).
class StoreCounter {
 public:
  explicit StoreCounter(sim::Client& client, unsigned first = 0) : state(std::make_shared<State>()) {
    state->first = first;
    client.CvarManager()
        ->getCvar(kInvisJsonCvar)
        .addOnValueChanged([state = state](std::string, CVarWrapper cvar) {
          if (cvar.getStringValue() != NumberedJson(state->first + static_cast<unsigned>(state->stores)))
            ++state->outOfOrder;
          ++state->stores;
        });
  }
  size_t Stores() const { return state->stores; }
  size_t OutOfOrder() const { return state->outOfOrder; }
  // Expect the next change to store NumberedJson(first), and count afresh.
  void Restart(unsigned first) { *state = State{0, 0, first}; }

 private:
  struct State {
    size_t stores = 0;
    size_t outOfOrder = 0;
    unsigned first = 0;
  };
  std::shared_ptr<State> state;
};

}  // namespace match_test
