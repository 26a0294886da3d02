#include "MatchWorld.h"

#include <stdexcept>

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

sim::Client& AddClientWithPlugins(sim::Simulation& simulation, const std::string& name) {
  sim::Client& client = simulation.AddClient(name);
  client.SetNetcodeAvailability(sim::NetcodeAvailability::Loaded);
  Require(client.InstallPluginFile("Glimmerfade") && client.LoadPlugin("Glimmerfade"), "load on " + name);
  return client;
}

void AddPlayers(sim::Match& match) {
  for (int n = 1; n <= kPlayers; ++n)
    match.AddPlayer({"Player" + std::to_string(n), n <= 4 ? 0 : 1, false, n});
}

}  // namespace

MatchWorld::MatchWorld() {
  simulation = std::make_unique<sim::Simulation>(scratch.path);
  sim::Match& match = simulation->CreateMatch("arena", kEnforcedOnlinePlaylist);
  AddPlayers(match);
  const char* const names[kClients] = {"host", "second", "third"};
  const char* const players[kClients] = {"Player1", "Player2", "Player5"};
  for (int i = 0; i < kClients; ++i) {
    sim::Client& client = AddClientWithPlugins(*simulation, names[i]);
    i == 0 ? client.RunMatch(match) : client.JoinMatch(match);
    client.Control(players[i]);
    Require(client.SetCvar(kEnabledCvar, "1"), "enable on " + client.Name());
  }
  host = simulation->FindClient("host");
  for (long k = 0; k < 2; ++k) tableCommands[k] = "invis_json " + Table(k);
  simulation->AdvanceSeconds(1.0);
}

MatchWorld::~MatchWorld() = default;

void MatchWorld::SimulatedMinute() {
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
  sim::Match& local = simulation->CreateMatch("local", kEnforcedOnlinePlaylist);
  sim::Match& online = simulation->CreateMatch("online", kEnforcedOnlinePlaylist);
  AddPlayers(local);
  AddPlayers(online);
  sender = &AddClientWithPlugins(*simulation, "sender");
  sender->RunMatch(local);
  sender->Control("Player1");
  receiver = &AddClientWithPlugins(*simulation, "receiver");
  receiver->JoinMatch(online);
  receiver->Control("Player1");
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
