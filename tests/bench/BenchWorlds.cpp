#include "BenchWorlds.h"

#include <stdexcept>

#include "common/MatchWorld.h"
#include "netcode/NetcodeManager.h"
#include "plugin/Shroudweave.h"
#include "pluginsdk.h"
#include "visibility/EnforcementPass.h"
#include "visibility/ReplicationMessage.h"
#include "visibility/VisibilityTable.h"

namespace bench {
namespace {

void Require(bool done, const std::string& what) {
  if (!done) throw std::runtime_error("benchmark set-up failed: " + what);
}

// Two tables that differ, so that every change is a change.
std::string Table(long which) {
  VisibilityTable table = DefaultVisibilityTable();
  table[1 + which % 2] = {true, false, true};
  return EncodeVisibilityTable(table);
}

// Players 1 to 8, in slots 1 to 8, the first four on team 0.
std::vector<sim::PlayerSetup> EightPlayers() {
  std::vector<sim::PlayerSetup> players;
  for (int n = 1; n <= kPlayers; ++n)
    players.push_back({"Player" + std::to_string(n), n <= 4 ? 0 : 1, false, n});
  return players;
}

}  // namespace

MinuteWorld::MinuteWorld() {
  simulation = std::make_unique<sim::Simulation>(scratch.path);
  MatchWorld world(*simulation);
  world.AddPlayers(EightPlayers());
  host = &world.AddHost("host", "Player1");
  world.AddJoiner("second", "Player2");
  world.AddJoiner("third", "Player5");
  for (sim::Client* client : simulation->Clients())
    Require(client->SetCvar(kEnabledCvar, "1"), "enable on " + client->Name());
  for (long k = 0; k < 2; ++k) tableCommands[k] = "invis_json " + Table(k);
  simulation->AdvanceSeconds(1.0);
}

MinuteWorld::~MinuteWorld() = default;

void MinuteWorld::SimulatedMinute() {
  host->RunCommand(tableCommands[minutes++ % 2]);
  simulation->Tick(60 * kTicksPerSecond);
}

ReplicationWorld::ReplicationWorld() {
  for (long k = 0; k < 2; ++k) {
    tables[k] = Table(k);
    incoming[k] = "[Shroudweave][0]" +
                  ComposeReplicationMessage(*ReplicatedPart(DecodeVisibilityTable(tables[k]).table));
  }
  simulation = std::make_unique<sim::Simulation>(scratch.path);
  MatchWorld local(*simulation, "local"), online(*simulation, "online");
  local.AddPlayers(EightPlayers());
  online.AddPlayers(EightPlayers());
  sender = &local.AddHost("sender", "Player1");
  receiver = &online.AddJoiner("receiver", "Player1");
  simulation->AdvanceSeconds(1.0);
  senderCvars = sender->CvarManager();
  receiverCvars = receiver->CvarManager();
  Require(sender->SetCvar(kInvisJsonCvar, tables[0]), "the sender's table");

  SendOne();
  const std::string firstMessage =
      ComposeReplicationMessage(*ReplicatedPart(DecodeVisibilityTable(tables[0]).table));
  Require(sender->CvarValue(kNetcodeMessageOutCvar) == "[Shroudweave]" + firstMessage,
          "the first message sent");
  ReceiveOne();
  Require(receiver->CvarValue(kInvisJsonCvar) == tables[0], "the first message received");
}

ReplicationWorld::~ReplicationWorld() = default;

void ReplicationWorld::SendOne() {
  senderCvars->getCvar(kInvisJsonCvar).setValue(tables[0]);
  simulation->RunPending();
}

void ReplicationWorld::ReceiveOne() {
  receiverCvars->getCvar(kNetcodeMessageInCvar).setValue(incoming[received++ % 2]);
}

}  // namespace bench
