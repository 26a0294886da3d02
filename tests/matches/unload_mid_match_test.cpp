// Unloading the plug-in while something of it is still pending in the host: a
// detection pass, a queued send, a burst of incoming messages, an installed
// hook. Nothing of the unloaded plug-in may run afterwards, and the plug-in
// loaded again must work.
#include <functional>

#include "common/Tables.h"
#include "match_test.h"

namespace {

using namespace match_test;

// Ben (slot 2, team 1) hidden from opponents, so from Ann on the host.
std::string BenHiddenJson() { return tables::Json(tables::Cleared({{2, 1}})); }

// Adds a callback of the host's own to a variable that runs once, when the
// variable is changed for the given number of times.
void OnNthChange(sim::Client& client, const std::string& cvar, size_t n, std::function<void()> action) {
  auto changes = std::make_shared<size_t>(0);
  client.CvarManager()->getCvar(cvar).addOnValueChanged([changes, n, action](std::string, CVarWrapper) {
    if (++*changes == n) action();
  });
}

class Unload : public MatchTest {
 protected:
  static size_t BridgeLines(const std::vector<std::string>& lines) {
    size_t count = 0;
    for (const std::string& line : lines) count += line.find("NetcodeManager") != std::string::npos;
    return count;
  }
  static size_t CommandsSince(const sim::Client& client, size_t index) {
    return client.CommandHistory().size() - index;
  }
};

// The bridge's next detection pass waits in a timer when the plug-in goes.
TEST_F(Unload, WithADetectionPassPendingNoPassRunsAndAReloadStartsAFreshRun) {
  const struct {
    sim::NetcodeAvailability availability;
    size_t commandsOfAFreshRun;  // in the 60 seconds after the reload
  } cases[] = {
      {sim::NetcodeAvailability::Present, 0},       // the first pass loaded it: the reload detects at once
      {sim::NetcodeAvailability::Unavailable, 19},  // every pass of the new run asks again
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.availability));
    sim::Client& client = Sim().AddClient("solo" + std::to_string(static_cast<int>(c.availability)));
    client.SetNetcodeAvailability(c.availability);
    ASSERT_TRUE(client.InstallPluginFile("Glimmerfade"));
    ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
    Sim().AdvanceSeconds(1.0);
    ASSERT_EQ(client.PendingTimers(), netcode_test::kResendCheckTimers + 1);

    ASSERT_TRUE(client.UnloadPlugin("Glimmerfade"));
    EXPECT_EQ(client.PendingTimers(), 0u);
    const size_t lines = client.ConsoleSize();
    const size_t commands = client.CommandHistory().size();
    Sim().AdvanceSeconds(60.0);
    EXPECT_EQ(BridgeLines(client.ConsoleSince(lines)), 0u);
    EXPECT_EQ(CommandsSince(client, commands), 0u);

    ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
    Sim().AdvanceSeconds(60.0);
    EXPECT_EQ(CommandsSince(client, commands), c.commandsOfAFreshRun);
    EXPECT_EQ(CountLevelLines(client.ConsoleSince(lines), 'A') > 0,
              c.availability == sim::NetcodeAvailability::Present);
    ASSERT_TRUE(client.UnloadPlugin("Glimmerfade"));
  }
}

// The send of a changed table waits as a game-thread task when the plug-in goes.
TEST_F(Unload, WithASendQueuedTheTaskIsDroppedAndAReloadSendsAgain) {
  AddPlayers();
  sim::Client& host = AddHost();
  sim::Client& joiner = AddJoiner("joiner");
  for (bool fromItsOwnChange : {false, true}) {
    SCOPED_TRACE(fromItsOwnChange ? "unloaded by a callback of the same change"
                                  : "unloaded after the change");
    const unsigned table = fromItsOwnChange ? 2 : 1;
    if (fromItsOwnChange) OnNthChange(host, kInvisJsonCvar, 1, [&] { host.UnloadPlugin("Glimmerfade"); });
    ASSERT_TRUE(host.SetCvar(kInvisJsonCvar, NumberedJson(table)));
    if (!fromItsOwnChange) {
      ASSERT_EQ(host.PendingTasks(), 1u);
      ASSERT_TRUE(host.UnloadPlugin("Glimmerfade"));
    }
    EXPECT_FALSE(host.IsPluginLoaded("Glimmerfade"));
    EXPECT_EQ(host.PendingTasks(), 0u);
    Deliver();
    EXPECT_EQ(host.CvarValue(kNetcodeMessageOutCvar), "");
    EXPECT_NE(joiner.CvarValue(kInvisJsonCvar), NumberedJson(table));

    // Loading again restores the saved table, which the plug-in then sends.
    ASSERT_TRUE(host.LoadPlugin("Glimmerfade"));
    Deliver();
    EXPECT_EQ(host.CvarValue(kNetcodeMessageOutCvar), "[Shroudweave]" + NumberedMessage(table));
    EXPECT_EQ(joiner.CvarValue(kInvisJsonCvar), NumberedJson(table));
    ASSERT_TRUE(host.SetCvar(kNetcodeMessageOutCvar, ""));
  }
}

// A burst of incoming messages is being handed out when a plug-in goes: the
// receiving plug-in itself, or the NetcodePlugin that hands them out.
TEST_F(Unload, InTheMiddleOfABurstTheRestIsNotHandledAndAReloadHandlesTheNext) {
  AddPlayers();
  sim::Client& host = AddHost();
  for (const std::string unloaded : {"Glimmerfade", "NetcodePlugin"}) {
    SCOPED_TRACE(unloaded);
    sim::Client& joiner = AddJoiner("joiner-" + unloaded);
    StoreCounter counter(joiner);
    OnNthChange(joiner, kInvisJsonCvar, 40, [&joiner, unloaded] { joiner.UnloadPlugin(unloaded); });
    for (unsigned n = 0; n < 100; ++n) SendRaw(host, "[Shroudweave]" + NumberedMessage(n));
    Deliver();
    EXPECT_FALSE(joiner.IsPluginLoaded(unloaded));
    EXPECT_EQ(counter.Stores(), 40u);
    EXPECT_EQ(counter.OutOfOrder(), 0u);
    EXPECT_EQ(joiner.CvarValue(kInvisJsonCvar), NumberedJson(39));

    ASSERT_TRUE(joiner.LoadPlugin(unloaded));
    counter.Restart(100);  // a reloaded Glimmerfade restores its saved table first
    for (unsigned n = 100; n < 150; ++n) SendRaw(host, "[Shroudweave]" + NumberedMessage(n));
    Deliver();
    EXPECT_EQ(counter.Stores(), 50u);
    EXPECT_EQ(counter.OutOfOrder(), 0u);
    EXPECT_EQ(joiner.CvarValue(kInvisJsonCvar), NumberedJson(149));
    joiner.LeaveMatch();
  }
}

// The vehicle-input hook is installed when the plug-in goes, whether between
// events or from within the event's own dispatch.
TEST_F(Unload, WithItsHookInstalledNoPassRunsAndAReloadEnforcesAgain) {
  AddPlayers();
  sim::Client& host = AddHost();
  host.RunCommand("shroudweave_enabled 1");
  for (bool withinTheEvent : {false, true}) {
    SCOPED_TRACE(withinTheEvent ? "unloaded within the event" : "unloaded between events");
    ASSERT_TRUE(host.SetCvar(kInvisJsonCvar, BenHiddenJson()));
    Sim().Tick();
    ASSERT_EQ(host.CarHidden("Ben"), true);

    if (withinTheEvent) {
      auto once = std::make_shared<bool>(true);
      host.Game()->HookEventPost(kVehicleInputEvent, [&host, once](std::string) {
        if (*once) host.UnloadPlugin("Glimmerfade");
        *once = false;
      });
      Sim().Tick();  // one event per car: the unload comes after the first
    } else {
      ASSERT_TRUE(host.UnloadPlugin("Glimmerfade"));
    }
    EXPECT_FALSE(host.IsPluginLoaded("Glimmerfade"));
    EXPECT_EQ(Count(host.HookedEvents(), kVehicleInputEvent), withinTheEvent ? 1u : 0u);
    ASSERT_TRUE(host.SetCvar(kInvisJsonCvar, EncodeVisibilityTable(DefaultVisibilityTable())));
    Sim().Tick(5);
    EXPECT_EQ(host.CarHidden("Ben"), true) << "a pass ran after the unload";

    // The saved "shroudweave_enabled" 1 hooks the event again on load.
    ASSERT_TRUE(host.LoadPlugin("Glimmerfade"));
    Sim().Tick();
    EXPECT_EQ(host.CarHidden("Ben"), false);
  }
}

}  // namespace
