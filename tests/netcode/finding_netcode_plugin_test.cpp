// Finding NetcodePlugin: detection in the constructor, loading, installing, the
// 19-pass limit, look-alike peers, missing variables, and bridges that go away
// while a pass or a callback is still pending.
#include <cmath>
#include <fstream>
#include <utility>

#include "common/Tables.h"
#include "common/bridge_support.h"
#include "visibility/VisibilityTable.h"

namespace {

using namespace netcode_test;

const std::string kLoadCommand = "plugin load NetcodePlugin";
const std::string kInstallCommand = "cpm_install 166";

struct Timed {
  double at;
  std::string text;
};

class Detection : public OneClient {
 protected:
  size_t consoleMark = 0;
  size_t commandMark = 0;
  double start = 0;

  // Call right before the bridge is made; times are then relative to it.
  void StartWatching() {
    consoleMark = Mark();
    commandMark = client.CommandHistory().size();
    start = Sim().Now();
  }
  std::vector<std::string> BridgeCommands() const {
    std::vector<std::string> commands;
    const auto& history = client.CommandHistory();
    for (size_t i = commandMark; i < history.size(); ++i)
      if (history[i] == kLoadCommand || history[i] == kInstallCommand) commands.push_back(history[i]);
    return commands;
  }
  // Ticks for the given time, noting when each bridge command and guard line appeared.
  void Watch(double seconds, std::vector<Timed>& commands, std::vector<Timed>& guards) {
    size_t seenCommands = client.CommandHistory().size(), seenLines = Mark();
    const double end = Sim().Now() + seconds;
    auto note = [&](double at) {
      const auto& history = client.CommandHistory();
      for (; seenCommands < history.size(); ++seenCommands)
        if (history[seenCommands] == kLoadCommand || history[seenCommands] == kInstallCommand)
          commands.push_back({at, history[seenCommands]});
      for (; seenLines < Mark(); ++seenLines)
        if (client.Console()[seenLines] == GuardLine("NetcodeLoadLoop")) guards.push_back({at, ""});
    };
    note(0);
    while (Sim().Now() < end) {
      Sim().Tick();
      note(Sim().Now() - start);
    }
  }
  size_t ReadyLines() const {
    size_t count = 0;
    for (const std::string& line : Since(consoleMark)) count += IsLevelLine(line, 'A', kReadyLine);
    return count;
  }
  bool ReceiveIsGuarded() {
    size_t before = Mark();
    client.SetCvar(kNetcodeMessageInCvar, "[Other][0]x");
    return Count(Since(before), GuardLine("ReceiveMessage")) == 1;
  }
};

// Already loaded: one pass inside the constructor, no command, no timer. The
// level in force is NetcodePlugin's own, since onLoad sets it only afterwards.
TEST_F(Detection, AlreadyLoadedIsDetectedInsideTheConstructor) {
  struct Case {
    const char* level;
    size_t readyLines;
  };
  for (Case c : {Case{"0", 0}, Case{"1", 1}, Case{"3", 1}}) {
    SCOPED_TRACE(c.level);
    sim::Simulation own(Root() / c.level);
    sim::Client& player = own.AddClient("player");
    player.SetNetcodeAvailability(sim::NetcodeAvailability::Loaded);
    ASSERT_TRUE(player.SetCvar(kNetcodeLogLevelCvar, c.level));
    const size_t mark = player.ConsoleSize(), commands = player.CommandHistory().size();
    ASSERT_TRUE(player.InstallPluginFile("Glimmerfade"));
    ASSERT_TRUE(player.LoadPlugin("Glimmerfade"));

    std::vector<std::string> lines = player.ConsoleSince(mark);
    EXPECT_EQ(Count(lines, GuardLine("NetcodeLoadLoop")), 1u);
    size_t ready = 0, readyAfterGuard = 0;
    bool guardSeen = false;
    for (const std::string& line : lines) {
      guardSeen |= line == GuardLine("NetcodeLoadLoop");
      if (IsLevelLine(line, 'A', kReadyLine)) ++ready, readyAfterGuard += guardSeen;
    }
    EXPECT_EQ(ready, c.readyLines);
    EXPECT_EQ(readyAfterGuard, c.readyLines);
    EXPECT_EQ(player.CommandHistory().size(), commands);
    EXPECT_EQ(player.PendingTimers(), kResendCheckTimers);
    EXPECT_EQ(player.CvarValue(kNetcodeLogLevelCvar), "1");
    EXPECT_EQ(player.EscapedExceptions(), 0u);
  }
}

TEST_F(Detection, PresentFileIsLoadedAndDetectedTwoSecondsLater) {
  client.SetNetcodeAvailability(sim::NetcodeAvailability::Present);
  StartWatching();
  LoadModule("Glimmerfade");
  EXPECT_EQ(Count(Since(consoleMark), GuardLine("NetcodeLoadLoop")), 1u);
  EXPECT_EQ(BridgeCommands(), std::vector<std::string>{kLoadCommand});
  EXPECT_TRUE(client.IsPluginLoaded("NetcodePlugin"));
  EXPECT_EQ(ReadyLines(), 0u);

  std::vector<Timed> commands, guards;
  Watch(1.9, commands, guards);
  EXPECT_EQ(ReadyLines(), 0u);
  Watch(0.2, commands, guards);
  EXPECT_EQ(ReadyLines(), 1u);
  ASSERT_EQ(guards.size(), 1u);  // the timed pass's own guard line
  EXPECT_NEAR(guards[0].at, 2.0, 0.01);
  EXPECT_TRUE(commands.empty());
  EXPECT_FALSE(ReceiveIsGuarded());
}

// Installs until the file is there, then loads it.
TEST_F(Detection, InstallsUntilTheFileExistsThenLoads) {
  client.SetNetcodeAvailability(sim::NetcodeAvailability::Installable);
  Sim().SetInstallDelay(5.0);
  StartWatching();
  LoadModule("Glimmerfade");
  std::vector<Timed> commands, guards;
  Watch(9.0, commands, guards);

  EXPECT_EQ(BridgeCommands(),
            (std::vector<std::string>{kInstallCommand, kInstallCommand, kInstallCommand, kLoadCommand}));
  ASSERT_EQ(commands.size(), 3u);  // the constructor's command came before watching
  EXPECT_NEAR(commands[2].at, 6.0, 0.01);
  EXPECT_EQ(ReadyLines(), 1u);
  EXPECT_EQ(guards.size(), 4u);  // passes at 2, 4, 6 and 8 s
  EXPECT_FALSE(ReceiveIsGuarded());
}

// 19 working passes 2 s apart, and a 20th call that only writes the guard line.
TEST_F(Detection, GivesUpAfterNineteenPasses) {
  client.SetNetcodeAvailability(sim::NetcodeAvailability::Unavailable);
  StartWatching();
  LoadModule("Glimmerfade");
  std::vector<Timed> commands, guards;
  Watch(50.0, commands, guards);

  std::vector<std::string> all = BridgeCommands();
  EXPECT_EQ(all, std::vector<std::string>(19, kInstallCommand));
  ASSERT_EQ(commands.size(), 18u);
  for (size_t i = 0; i < commands.size(); ++i) EXPECT_NEAR(commands[i].at, 2.0 * (i + 1), 0.01) << i;
  EXPECT_EQ(Count(Since(consoleMark), GuardLine("NetcodeLoadLoop")), 20u);
  ASSERT_EQ(guards.size(), 19u);
  EXPECT_NEAR(guards.back().at, 38.0, 0.01);
  EXPECT_EQ(client.PendingTimers(), kResendCheckTimers);
  EXPECT_EQ(ReadyLines(), 0u);

  // Still not ready: the plug-in's next send is dropped with the guard line.
  const size_t mark = Mark();
  ASSERT_TRUE(client.SetCvar(kInvisJsonCvar, tables::Json(tables::AllVisible())));
  Sim().Tick();
  EXPECT_EQ(Count(Since(mark), GuardLine("SendNewMessage")), 1u);
}

// Only the exact, whole class name counts: the search goes on past these.
TEST_F(Detection, LookAlikeClassNamesDoNotCount) {
  for (const char* module : {"NetcodePluginWrongCase", "NetcodePluginLongerName"}) {
    SCOPED_TRACE(module);
    sim::Simulation own(Root() / module);
    sim::Client& player = own.AddClient("player");
    ASSERT_TRUE(player.InstallPluginFile(module));
    ASSERT_TRUE(player.LoadPlugin(module));
    const size_t mark = player.ConsoleSize();
    ASSERT_TRUE(player.InstallPluginFile("Glimmerfade"));
    ASSERT_TRUE(player.LoadPlugin("Glimmerfade"));
    own.AdvanceSeconds(4.1);

    std::vector<std::string> lines = player.ConsoleSince(mark);
    EXPECT_EQ(Count(lines, GuardLine("NetcodeLoadLoop")), 3u);
    EXPECT_EQ(CountLevelLines(lines, 'A'), 0u);
    EXPECT_EQ(player.PendingTimers(), kResendCheckTimers + 1);
    EXPECT_EQ(player.EscapedExceptions(), 0u);
  }
}

// NetcodePlugin listed without one of its variables: one line (plain for the
// level, A line for a message variable), and the run is over for good.
TEST_F(Detection, MissingVariableEndsTheRunNotReady) {
  struct Case {
    const char* module;
    const char* level;  // set before the bridge is made; "" when there is no level variable
    const char* missing;
    bool lineKindA;
    size_t lines;
  };
  const Case cases[] = {
      {"NetcodePluginNoLevel", "", kNetcodeLogLevelCvar, false, 1},
      {"NetcodePluginNoIn", "1", kNetcodeMessageInCvar, true, 1},
      {"NetcodePluginNoOut", "2", kNetcodeMessageOutCvar, true, 1},
      {"NetcodePluginNoIn", "0", kNetcodeMessageInCvar, true, 0},
      {"NetcodePluginNoOut", "0", kNetcodeMessageOutCvar, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.module) + " level " + c.level);
    sim::Simulation own(Root() / (std::string(c.module) + c.level));
    sim::Client& player = own.AddClient("player");
    ASSERT_TRUE(player.InstallPluginFile(c.module));
    ASSERT_TRUE(player.LoadPlugin(c.module));
    if (*c.level) {
      ASSERT_TRUE(player.SetCvar(kNetcodeLogLevelCvar, c.level));
    }
    const size_t mark = player.ConsoleSize(), commands = player.CommandHistory().size();
    ASSERT_TRUE(player.InstallPluginFile("Glimmerfade"));
    ASSERT_TRUE(player.LoadPlugin("Glimmerfade"));
    own.AdvanceSeconds(4.1);

    std::vector<std::string> lines = player.ConsoleSince(mark);
    const std::string text = kMissingCvar + c.missing;
    size_t found = 0;
    for (const std::string& line : lines) {
      found += c.lineKindA ? IsLevelLine(line, 'A', text) : line == text;
    }
    EXPECT_EQ(found, c.lines);
    EXPECT_EQ(Count(lines, GuardLine("NetcodeLoadLoop")), 1u);
    EXPECT_EQ(player.CommandHistory().size(), commands);
    EXPECT_EQ(player.PendingTimers(), kResendCheckTimers);
    EXPECT_EQ(player.EscapedExceptions(), 0u);
  }
}

// The attempt count is shared by the module's bridges; each new bridge starts
// it at 1 again, even after an earlier run gave up.
TEST_F(Detection, NewBridgeCountsFromOneAgain) {
  StartWatching();
  RecordingBridge first(client);
  Sim().AdvanceSeconds(40.0);
  ASSERT_EQ(BridgeCommands().size(), 19u);
  ASSERT_EQ(client.PendingTimers(), 0u);

  RecordingBridge second(client);
  Sim().AdvanceSeconds(40.0);
  EXPECT_EQ(BridgeCommands().size(), 38u);
  EXPECT_EQ(Count(Since(consoleMark), GuardLine("NetcodeLoadLoop")), 40u);
}

// The host keeps a timer that is not a plug-in's; the bridge's pending pass must
// then find the bridge gone and do nothing (AddressSanitizer watches the rest).
TEST_F(Detection, DestroyedBridgeIgnoresItsPendingPass) {
  StartWatching();
  auto probe = std::make_unique<RecordingBridge>(client);
  ASSERT_EQ(client.PendingTimers(), 1u);
  probe.reset();
  const size_t mark = Mark();
  Sim().AdvanceSeconds(4.0);
  EXPECT_EQ(client.PendingTimers(), 0u);
  EXPECT_TRUE(Since(mark).empty());
  EXPECT_EQ(BridgeCommands().size(), 1u);
}

TEST_F(Detection, DestroyedBridgeIgnoresIncomingMessages) {
  client.SetNetcodeAvailability(sim::NetcodeAvailability::Loaded);
  auto probe = std::make_unique<RecordingBridge>(client);
  ASSERT_TRUE(probe->readyAtOnce);
  auto deliveries = probe->deliveries;
  const size_t callbacks = client.Registrations().cvarCallbacks;
  probe.reset();
  ASSERT_EQ(client.Registrations().cvarCallbacks, callbacks);  // the host still holds it

  const size_t mark = Mark();
  ASSERT_TRUE(client.SetCvar(kNetcodeMessageInCvar, "[Shroudweave][0]late"));
  EXPECT_TRUE(deliveries->empty());
  EXPECT_TRUE(Since(mark).empty());
}

// Unloading the plug-in with a pass pending: nothing of it runs afterwards.
TEST_F(Detection, UnloadWithPassPendingRunsNothingLater) {
  StartWatching();
  LoadModule("Glimmerfade");
  ASSERT_EQ(BridgeCommands().size(), 1u);
  ASSERT_TRUE(client.UnloadPlugin("Glimmerfade"));
  const size_t mark = Mark();
  Sim().AdvanceSeconds(6.0);
  EXPECT_EQ(Count(Since(mark), GuardLine("NetcodeLoadLoop")), 0u);
  EXPECT_EQ(BridgeCommands().size(), 1u);
}

// A file query that fails (a symbolic-link loop where the plugins folder should
// be) counts as "no file": the pass installs, and nothing is thrown at the host,
// neither from the constructor's pass nor from a timed one.
TEST_F(Detection, FailingFileQueryCountsAsAbsent) {
  StartWatching();
  LoadModule("Glimmerfade");
  const fs::path plugins = client.PluginsFolder();
  fs::rename(plugins, client.DataFolder() / "plugins-moved");
#if defined(_WIN32)
  // mingw-w64's C++ library cannot make symbolic links, and its file queries
  // report every path they cannot follow as "no such file" rather than as an
  // error. The nearest case is a plugins "folder" that is a file.
  std::ofstream(plugins) << "not a folder";
#else
  fs::create_directory_symlink(plugins, plugins);  // plugins -> plugins
  std::error_code error;
  EXPECT_FALSE(fs::exists(plugins / "NetcodePlugin.so", error));
  ASSERT_TRUE(error) << "the loop should make the query fail";
#endif

  Sim().AdvanceSeconds(2.05);
  EXPECT_EQ(BridgeCommands(), (std::vector<std::string>{kInstallCommand, kInstallCommand}));

  std::unique_ptr<RecordingBridge> direct;
  EXPECT_NO_THROW(direct = std::make_unique<RecordingBridge>(client));
  EXPECT_EQ(BridgeCommands().size(), 3u);
  EXPECT_EQ(BridgeCommands().back(), kInstallCommand);
}

}  // namespace
