#include "MatchWorld.h"

#include <stdexcept>

#include "netcode/NetcodeManager.h"
#include "plugin/Shroudweave.h"
#include "pluginsdk.h"
#include "visibility/EnforcementPass.h"
#include "visibility/InvisibilityTable.h"
#include "visibility/ReplicationMessage.h"

namespace bench {
namespace {

void Require(bool done, const std::string& what) {
  if (!done) throw std::runtime_error("benchmark set-up failed: " + what);
}

// Two tables that differ, so that every change is a change.
std::string Table(long which) {
  InvisibilityTable table = DefaultInvisibilityTable();
  table[1 + which % 2] = {true, false, true};
  return EncodeInvisibilityStates(table);
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
  simulation_ = std::make_unique<sim::Simulation>(scratch_.path);
  sim::Match& match = simulation_->CreateMatch("arena", kEnforcedOnlinePlaylist);
  AddPlayers(match);
  const char* const names[kClients] = {"host", "second", "third"};
  const char* const players[kClients] = {"Player1", "Player2", "Player5"};
  for (int i = 0; i < kClients; ++i) {
    sim::Client& client = AddClientWithPlugins(*simulation_, names[i]);
    i == 0 ? client.RunMatch(match) : client.JoinMatch(match);
    client.Control(players[i]);
    Require(client.SetCvar(kEnabledCvar, "1"), "enable on " + client.Name());
  }
  host_ = simulation_->FindClient("host");
  for (long k = 0; k < 2; ++k) tableCommands_[k] = "invis_json " + Table(k);
  simulation_->AdvanceSeconds(1.0);
}

MatchWorld::~MatchWorld() = default;

void MatchWorld::SimulatedMinute() {
  host_->RunCommand(tableCommands_[minutes_++ % 2]);
  simulation_->Tick(60 * kTicksPerSecond);
}

ReplicationWorld::ReplicationWorld() {
  for (long k = 0; k < 2; ++k) {
    tables_[k] = Table(k);
    incoming_[k] = "[Shroudweave][0]" + ComposeReplicationMessage(DecodeInvisibilityStates(tables_[k]).table);
  }
  simulation_ = std::make_unique<sim::Simulation>(scratch_.path);
  sim::Match& local = simulation_->CreateMatch("local", kEnforcedOnlinePlaylist);
  sim::Match& online = simulation_->CreateMatch("online", kEnforcedOnlinePlaylist);
  AddPlayers(local);
  AddPlayers(online);
  sender_ = &AddClientWithPlugins(*simulation_, "sender");
  sender_->RunMatch(local);
  sender_->Control("Player1");
  receiver_ = &AddClientWithPlugins(*simulation_, "receiver");
  receiver_->JoinMatch(online);
  receiver_->Control("Player1");
  simulation_->AdvanceSeconds(1.0);
  senderCvars_ = sender_->CvarManager();
  receiverCvars_ = receiver_->CvarManager();
  Require(sender_->SetCvar(kInvisJsonCvar, tables_[0]), "the sender's table");

  SendOne();
  const std::string firstMessage = ComposeReplicationMessage(DecodeInvisibilityStates(tables_[0]).table);
  Require(sender_->CvarValue(kNetcodeMessageOutCvar) == "[Shroudweave]" + firstMessage,
          "the first message sent");
  ReceiveOne();
  Require(receiver_->CvarValue(kInvisJsonCvar) == tables_[0], "the first message received");
}

ReplicationWorld::~ReplicationWorld() = default;

void ReplicationWorld::SendOne() {
  senderCvars_->getCvar(kInvisJsonCvar).setValue(tables_[0]);
  simulation_->RunPending();
}

void ReplicationWorld::ReceiveOne() {
  receiverCvars_->getCvar(kNetcodeMessageInCvar).setValue(incoming_[received_++ % 2]);
}

}  // namespace bench
