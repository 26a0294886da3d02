// The simulated host's game loop: timers on the clock, game-thread tasks,
// post-hooks, the vehicle-input event per car, and the simulated network.

#include <functional>
#include <iterator>
#include <sstream>

#include "common/SimulationTest.h"
#include "host/wrappers/SimNetwork.h"
#include "pluginsdk.h"

namespace {

class HostLoop : public SimulationTest {
 protected:
  sim::Client& client = Sim().AddClient("solo");
  GameWrapper& game = *client.Game();
  std::vector<std::string> trace;

  std::function<void(GameWrapper*)> Record(const std::string& what) {
    return [this, what](GameWrapper*) { trace.push_back(what + "@" + std::to_string(Sim().Now())); };
  }
};

TEST_F(HostLoop, ClockAdvancesByWholeTicks) {
  EXPECT_EQ(Sim().Now(), 0.0);
  Sim().Tick(120);
  EXPECT_DOUBLE_EQ(Sim().Now(), 1.0);
  Sim().AdvanceSeconds(0.01);  // covered by two ticks
  EXPECT_DOUBLE_EQ(Sim().Now(), 1.0 + 2.0 / 120);
  Sim().RunPending();
  EXPECT_DOUBLE_EQ(Sim().Now(), 1.0 + 2.0 / 120);
}

TEST_F(HostLoop, TimersRunOnceInDueOrderAtTheFirstTickAtOrAfterTheirTime) {
  game.SetTimeout(Record("late"), 1.0f);
  game.SetTimeout(Record("early"), 0.5f);
  game.SetTimeout(Record("same-time-second"), 1.0f);
  game.SetTimeout(Record("soon"), 0.0f);
  EXPECT_EQ(client.PendingTimers(), 4u);
  Sim().RunPending();
  EXPECT_EQ(trace, std::vector<std::string>{"soon@0.000000"});
  Sim().AdvanceSeconds(2.0);
  EXPECT_EQ(trace, (std::vector<std::string>{"soon@0.000000", "early@0.500000", "late@1.000000",
                                             "same-time-second@1.000000"}));
  EXPECT_EQ(client.PendingTimers(), 0u);
}

TEST_F(HostLoop, TimersSetByATimerWaitForTheNextTurn) {
  game.SetTimeout(
      [this](GameWrapper* g) {
        trace.push_back("outer");
        g->SetTimeout([this](GameWrapper*) { trace.push_back("inner"); }, 0.0f);
      },
      0.0f);
  Sim().RunPending();
  EXPECT_EQ(trace, std::vector<std::string>{"outer"});
  Sim().RunPending();
  EXPECT_EQ(trace, (std::vector<std::string>{"outer", "inner"}));
}

TEST_F(HostLoop, TasksRunInOrderAtTheNextTurnAfterDueTimers) {
  game.Execute(Record("task1"));
  game.SetTimeout(Record("timer"), 0.0f);
  game.Execute([this](GameWrapper* g) {
    trace.push_back("task2");
    g->Execute([this](GameWrapper*) { trace.push_back("task-from-task"); });
  });
  EXPECT_EQ(client.PendingTasks(), 2u);
  EXPECT_TRUE(trace.empty()) << "nothing runs before the game loop turns";
  Sim().Tick();
  EXPECT_EQ(trace, (std::vector<std::string>{"timer@0.008333", "task1@0.008333", "task2"}));
  Sim().Tick();
  EXPECT_EQ(trace.back(), "task-from-task");
}

TEST_F(HostLoop, HookRequestsReplaceAndUnhookRemovesOnlyThatEvent) {
  game.HookEventPost("Event.A", [this](std::string name) { trace.push_back("first " + name); });
  game.HookEventPost("Event.A", [this](std::string name) { trace.push_back("second " + name); });
  game.HookEventPost("Event.B", [this](std::string name) { trace.push_back("b " + name); });
  EXPECT_EQ(client.HookedEvents(), (std::vector<std::string>{"Event.A", "Event.B"}));
  client.RaiseEvent("Event.A");
  client.RaiseEvent("Event.B");
  EXPECT_EQ(trace, (std::vector<std::string>{"second Event.A", "b Event.B"}))
      << "only the second request runs";
  game.UnhookEventPost("Event.A");
  EXPECT_EQ(client.HookedEvents(), std::vector<std::string>{"Event.B"});
  game.UnhookEventPost("Event.Unknown");
  EXPECT_EQ(client.HookedEvents(), std::vector<std::string>{"Event.B"});
}

TEST_F(HostLoop, VehicleInputIsRaisedOncePerCarEachTickWhileHookedInAMatch) {
  int raised = 0;
  game.HookEventPost(kVehicleInputEvent, [&](std::string name) {
    EXPECT_EQ(name, kVehicleInputEvent);
    ++raised;
  });
  Sim().Tick();
  EXPECT_EQ(raised, 0) << "not in a match";
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);
  match.AddPlayer({"Ann", 0, false, 1, true});
  match.AddPlayer({"Bob", 1, false, 2, true});
  match.AddPlayer({"Watcher", 255, true, 3, false});
  client.RunMatch(match);
  Sim().Tick(3);
  EXPECT_EQ(raised, 6);
  client.RaiseVehicleInput();
  EXPECT_EQ(raised, 7);
  game.UnhookEventPost(kVehicleInputEvent);
  Sim().Tick();
  EXPECT_EQ(raised, 7);
}

TEST_F(HostLoop, HookThatUnhooksItselfFinishesAndIsNotCalledAgain) {
  int calls = 0;
  game.HookEventPost(kVehicleInputEvent, [&](std::string) {
    game.UnhookEventPost(kVehicleInputEvent);
    ++calls;  // the callback is still alive here
  });
  client.RaiseVehicleInput();
  client.RaiseVehicleInput();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(client.HookedEvents().empty());
}

class HostNetwork : public SimulationTest {
 protected:
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);
  sim::Client& hostClient = Sim().AddClient("host");
  sim::Client& joined = Sim().AddClient("joined");
  sim::Client& outsider = Sim().AddClient("outsider");
  std::vector<std::pair<uintptr_t, std::string>> received;

  void SetUp() override {
    match.AddPlayer({"Hosting", 0, false, 1, true});
    match.AddPlayer({"Joining", 1, false, 2, true});
    hostClient.RunMatch(match);
    hostClient.Control("Hosting");
    joined.JoinMatch(match);
    joined.Control("Joining");
    outsider.JoinMatch(Sim().CreateMatch("elsewhere", kAnyPlaylist));
    for (sim::Client* client : {&joined, &outsider})
      sim::NetListen(*client->Game(), "chat", [this](uintptr_t sender, const std::string& payload) {
        received.emplace_back(sender, payload);
      });
  }
};

TEST_F(HostNetwork, PayloadsArriveAfterTheDelayInSendOrderWithTheReceiversSenderAddress) {
  Sim().SetNetworkDelay(0.05);
  sim::NetSend(*hostClient.Game(), "chat", "one");
  sim::NetSend(*hostClient.Game(), "chat", "two");
  sim::NetSend(*hostClient.Game(), "other", "ignored");
  Sim().AdvanceSeconds(0.04);
  EXPECT_TRUE(received.empty());
  Sim().AdvanceSeconds(0.01);
  const uintptr_t senderOnReceiver = joined.PriAddress("Hosting");
  ASSERT_NE(senderOnReceiver, 0u);
  EXPECT_NE(senderOnReceiver, hostClient.PriAddress("Hosting")) << "each client has its own replica";
  EXPECT_EQ(received, (std::vector<std::pair<uintptr_t, std::string>>{{senderOnReceiver, "one"},
                                                                      {senderOnReceiver, "two"}}));
}

TEST_F(HostNetwork, SenderWithoutAPlayerEntryArrivesAsZero) {
  hostClient.Control("");
  sim::NetSend(*hostClient.Game(), "chat", "anonymous");
  Sim().AdvanceSeconds(0.1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].first, 0u);
}

class HostWorld : public SimulationTest {
 protected:
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);
  sim::Client& client = Sim().AddClient("solo");
  GameWrapper& game = *client.Game();
  // Runs the calls as the client's plug-in code runs (in a hook), and returns
  // the fault lines they wrote.
  std::vector<std::string> FaultLinesOf(const std::function<void()>& calls) {
    const size_t since = client.ConsoleSize();
    game.HookEventPost("Probe", [&](std::string) { calls(); });
    client.RaiseEvent("Probe");
    game.UnhookEventPost("Probe");
    std::vector<std::string> lines;
    for (const std::string& line : client.ConsoleSince(since))
      if (line.rfind("fault: ", 0) == 0) lines.push_back(line);
    return lines;
  }
};

TEST_F(HostWorld, RunAndJoinDecideWhichGameQueriesAnswer) {
  EXPECT_FALSE(game.IsInGame());
  EXPECT_FALSE(game.IsInOnlineGame());
  EXPECT_TRUE(game.GetGameEventAsServer().IsNull());
  client.RunMatch(match);
  EXPECT_TRUE(game.IsInGame());
  EXPECT_FALSE(game.IsInOnlineGame());
  EXPECT_FALSE(game.GetGameEventAsServer().IsNull());
  EXPECT_TRUE(game.GetOnlineGame().IsNull());
  client.LeaveMatch();
  client.JoinMatch(match);
  EXPECT_FALSE(game.IsInGame());
  EXPECT_TRUE(game.IsInOnlineGame());
  EXPECT_EQ(game.GetOnlineGame().GetPlaylist().GetPlaylistId(), 6);
  client.LeaveMatch();
  EXPECT_FALSE(game.IsInOnlineGame());
}

TEST_F(HostWorld, ReplicaFollowsTheMatchAndKeepsUnchangedObjects) {
  match.AddPlayer({"Ann", 0, false, 1, true});
  match.AddPlayer({"Bob", 1, false, 2, true});
  client.RunMatch(match);
  ServerWrapper event = game.GetGameEventAsServer();
  const uintptr_t bobCar = event.GetPRIs().Get(1).GetCar().memory_address;
  event.GetPRIs().Get(1).GetCar().SetHidden2(1);

  match.AddPlayer({"Cid", 255, true, 3, false});
  match.UpdatePlayer("Bob", {"Bob", 0, false, 5, true});
  match.RemovePlayer("Ann");
  match.SetPlaylistId(kAnyPlaylist + 1);  // another playlist, of no meaning to the host

  EXPECT_EQ(event.memory_address, game.GetGameEventAsServer().memory_address);
  ArrayWrapper<PriWrapper> pris = event.GetPRIs();
  ASSERT_EQ(pris.Count(), 2);
  PriWrapper bob = pris.Get(0);
  EXPECT_EQ(bob.GetPlayerName().ToString(), "Bob");
  EXPECT_EQ(bob.GetCar().memory_address, bobCar) << "unchanged objects keep their addresses";
  EXPECT_EQ(client.CarHidden("Bob"), true) << "and their per-client state";
  EXPECT_EQ(bob.GetSpectatorShortcut(), 5);
  EXPECT_EQ(bob.GetTeamNum(), 0);
  EXPECT_EQ(bob.GetCar().GetTeamNum2(), 0);
  EXPECT_EQ(bob.GetCar().GetOwnerName(), "Bob");
  PriWrapper cid = pris.Get(1);
  EXPECT_TRUE(cid.IsSpectator());
  EXPECT_EQ(cid.GetTeamNum(), 255);
  EXPECT_TRUE(cid.GetCar().IsNull());
  EXPECT_EQ(event.GetCars().Count(), 1);
  EXPECT_EQ(event.GetPlaylist().GetPlaylistId(), kAnyPlaylist + 1);
  match.SetHasCarArray(false);
  EXPECT_TRUE(event.GetCars().IsNull());
}

TEST_F(HostWorld, ControllerTeamAndEntryFollowTheControlledPlayer) {
  match.AddPlayer({"Ann", 1, false, 1, true});
  client.RunMatch(match);
  EXPECT_EQ(game.GetPlayerController().GetTeamNum2(), 255) << "a controller with no player entry";
  EXPECT_TRUE(game.GetPlayerController().GetPRI().IsNull());
  client.Control("Ann");
  EXPECT_EQ(game.GetPlayerController().GetTeamNum2(), 1);
  EXPECT_EQ(game.GetPlayerController().GetPRI().memory_address, client.PriAddress("Ann"));
  client.SetViewerTeam(0);
  EXPECT_EQ(game.GetPlayerController().GetTeamNum2(), 0);
  client.SetNoController();
  EXPECT_FALSE(game.GetPlayerController());
}

TEST_F(HostWorld, HostWrappersOfNoClientAreHarmless) {
  GameWrapper none(0);
  EXPECT_FALSE(none.IsInGame());
  EXPECT_FALSE(none.GetPlayerController());
  EXPECT_EQ(none.GetPluginManager().memory_address, 0u);
  none.SetTimeout([](GameWrapper*) { FAIL(); }, 0.0f);
  EXPECT_TRUE(none.GetCorvanePath().empty());
}

// Each call returns its default; a strict client reports it as one fault
// line, a forgiving one says nothing and takes the address for null.
TEST_F(HostWorld, ACallOnAnAddressWithoutALiveObjectOfItsKindIsAFault) {
  expectNoFaults = false;
  match.AddPlayer({"Ann", 0, false, 1, true});
  match.AddPlayer({"Bob", 1, false, 2, true});
  client.RunMatch(match);
  const uintptr_t ann = client.PriAddress("Ann"), bob = client.PriAddress("Bob");
  match.RemovePlayer("Ann");
  const uintptr_t roster = game.GetGameEventAsServer().GetPRIs().memory_address;
  const auto hex = [](uintptr_t address) {
    std::ostringstream text;
    text << std::hex << address;
    return text.str();
  };
  const size_t lookups = sim::Simulation::UnknownObjectLookups();
  const struct {
    std::function<bool()> callGivesDefault;
    std::string line;
  } cases[] = {
      {[] { return PriWrapper(0).GetTeamNum() == 255; },
       "PlayerReplicationInfoWrapper::GetTeamNum on 0x0, which holds no live player entry (null address)"},
      {[] { return ActorWrapper(1).GetTeamNum2() == 255; },
       "ActorWrapper::GetTeamNum2 on 0x1, which holds no live actor (never handed out)"},
      {[&] { return PriWrapper(ann).GetSpectatorShortcut() == 0; },
       "PriWrapper::GetSpectatorShortcut on 0x" + hex(ann) +
           ", which holds no live player entry (destroyed)"},
      {[&] { return CarWrapper(bob).GetOwnerName().empty(); },
       "CarWrapper::GetOwnerName on 0x" + hex(bob) + ", which holds no live car (it holds a player entry)"},
      {[&] { return ArrayWrapper<PriWrapper>(roster).Get(1).memory_address == 0; },
       "ArrayWrapper<PriWrapper>::Get on 0x" + hex(roster) + ", index 1 beyond an array of 1"},
      {[] { return PluginManagerWrapper(0).GetLoadedPlugins()->empty(); },
       "PluginManagerWrapper::GetLoadedPlugins on 0x0, which holds no live plug-in manager (null address)"},
  };
  for (const bool strict : {true, false}) {
    client.SetStrict(strict);
    for (const auto& c : cases) {
      SCOPED_TRACE(c.line + (strict ? ", strict" : ", forgiving"));
      bool gaveDefault = false;
      EXPECT_EQ(FaultLinesOf([&] { gaveDefault = c.callGivesDefault(); }),
                strict ? std::vector<std::string>{"fault: " + c.line} : std::vector<std::string>{});
      EXPECT_TRUE(gaveDefault);
    }
    EXPECT_TRUE(FaultLinesOf([&] {
                  EXPECT_TRUE(PriWrapper(0).IsNull() && !PriWrapper(bob).IsNull());
                  EXPECT_EQ(ActorWrapper(ann).IsNull(), !strict) << "the address alone, when strict";
                  EXPECT_EQ(static_cast<bool>(CarWrapper(ann)), strict);
                  EXPECT_EQ(UnrealStringWrapper(ann).IsNull(), !strict);
                  EXPECT_EQ(ArrayWrapper<PriWrapper>(ann).IsNull(), !strict);
                }).empty());
  }
  EXPECT_EQ(client.Faults(), std::size(cases));
  EXPECT_GT(sim::Simulation::UnknownObjectLookups(), lookups);
  const size_t unattributed = sim::Simulation::UnattributedFaults();
  EXPECT_EQ(PriWrapper(ann).GetTeamNum(), 255) << "a call from outside plug-in code is strict";
  EXPECT_EQ(sim::Simulation::UnattributedFaults(), unattributed + 1);
}

}  // namespace
