// The replication handlers through the simulated host with the real modules:
// what a change of "invis_json" sends, and what a received message stores.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/SimulationTest.h"
#include "common/Tables.h"
#include "netcode/NetcodeManager.h"
#include "plugin/Exports.h"
#include "plugin/Shroudweave.h"
#include "visibility/VisibilityTable.h"
#include "visibility/WrongShapeReports.h"

using namespace glimmerfade;

namespace {

// "runner" runs a match (not online: sends); "joiner" is in it
// online (applies). Both have NetcodePlugin loaded.
class Replication : public SimulationTest {
 protected:
  sim::Client& runner = PluginClient("runner", sim::NetcodeAvailability::Loaded);
  sim::Client& joiner = PluginClient("joiner", sim::NetcodeAvailability::Loaded);
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);

  void SetUp() override {
    for (sim::Client* client : {&runner, &joiner}) ASSERT_TRUE(client->SetCvar(kInvisJsonCvar, "previous"));
    Sim().RunPending();
    runner.RunMatch(match);
    joiner.JoinMatch(match);
  }

  static std::string Value(const sim::Client& client, const std::string& name) {
    return client.CvarValue(name).value_or("<none>");
  }
  // Lines the handlers write ("Sending ..." and "invis_json ...") since an index.
  static std::vector<std::string> HandlerLines(const sim::Client& client, size_t since) {
    std::vector<std::string> lines;
    for (const std::string& line : client.ConsoleSince(since))
      if (line.rfind("Sending netcode message ", 0) == 0 || line.rfind("invis_json ", 0) == 0)
        lines.push_back(line);
    return lines;
  }
  // Sets "invis_json" on a client; returns its handler lines and what reached
  // "NETCODE_Message_Out" once the game loop ran, checking nothing went out
  // before it did.
  std::pair<std::vector<std::string>, std::string> Change(sim::Client& client, const std::string& value) {
    EXPECT_TRUE(client.SetCvar(kNetcodeMessageOutCvar, ""));
    const size_t mark = client.ConsoleSize();
    EXPECT_TRUE(client.SetCvar(kInvisJsonCvar, value));
    EXPECT_EQ(Value(client, kNetcodeMessageOutCvar), "");
    Sim().RunPending();
    return {HandlerLines(client, mark), Value(client, kNetcodeMessageOutCvar)};
  }
  // Hands the joiner's bridge an incoming envelope addressed to the plug-in.
  void Deliver(sim::Client& client, const std::string& message) {
    ASSERT_TRUE(client.SetCvar(kNetcodeMessageInCvar, "[Shroudweave][0]" + message));
    Sim().RunPending();
  }
};

TEST_F(Replication, SenderLogsThenSendsNineRowsOfThreeFlags) {
  VisibilityTable longer = tables::With({{8, {false, false, false}}});
  longer[0].push_back(false);
  longer.push_back({false, false, false});
  const std::string lastRowOff = tables::kAllVisibleMessage.substr(0, 64) + "8:0,0,0";
  const std::string notSent = "invis_json holds fewer than 9 entries of 3 flags; nothing sent";
  // The report carries the JSON library's reason, whatever its wording.
  const auto wrongShape = [](const std::string& value) {
    return kWrongShapeReport + DecodeVisibilityTable(value).error;
  };
  const struct {
    std::string value;
    std::string line;  // "": no line; a prefix of the one line otherwise
    bool sent;         // the line's message reached the bridge
  } cases[] = {
      {EncodeVisibilityTable(DefaultVisibilityTable()),
       "Sending netcode message " + tables::kAllVisibleMessage, true},
      {EncodeVisibilityTable(DefaultVisibilityTable()),
       "Sending netcode message " + tables::kAllVisibleMessage, true},
      {EncodeVisibilityTable(tables::With({{8, {false, false, false}}})),
       "Sending netcode message " + lastRowOff, true},
      {EncodeVisibilityTable(longer), "Sending netcode message " + lastRowOff, true},
      // A host that never set a table sends the one that shows every car.
      {"", "Sending netcode message " + tables::kAllVisibleMessage, true},
      {"not json", "", false},
      {"{}", wrongShape("{}"), false},
      {R"({"invisDeque":[[true,1,true]]})", wrongShape(R"({"invisDeque":[[true,1,true]]})"), false},
      {EncodeVisibilityTable(VisibilityTable(8, std::deque<bool>(3, true))), notSent, false},
      {EncodeVisibilityTable(tables::With({{8, {true, true}}})), notSent, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const auto [lines, outgoing] = Change(runner, c.value);
    EXPECT_EQ(lines, c.line.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.line});
    EXPECT_EQ(outgoing, c.sent ? "[Shroudweave]" + c.line.substr(24) : "");
  }
}

TEST_F(Replication, OnlineClientSendsNothingAndReceivedTablesAreNotEchoed) {
  EXPECT_EQ(Change(joiner, EncodeVisibilityTable(DefaultVisibilityTable())),
            std::make_pair(std::vector<std::string>{}, std::string()));
  EXPECT_EQ(Change(joiner, "{}"), std::make_pair(std::vector<std::string>{}, std::string()));

  const size_t mark = joiner.ConsoleSize();
  Deliver(joiner, "3:0,0,0");
  Sim().AdvanceSeconds(1.0);
  EXPECT_EQ(Value(joiner, kInvisJsonCvar), EncodeVisibilityTable(tables::With({{3, {false, false, false}}})));
  EXPECT_EQ(HandlerLines(joiner, mark), std::vector<std::string>{});
  EXPECT_EQ(Value(joiner, kNetcodeMessageOutCvar), "");
  EXPECT_EQ(Value(runner, kInvisJsonCvar), "previous");
}

TEST_F(Replication, ReceiverStoresWholeTablesOrDropsTheMessage) {
  const std::deque<bool> off = {false, false, false};
  const struct {
    std::string message;
    std::optional<VisibilityTable> stored;  // nullopt: "invis_json" unchanged
  } cases[] = {
      {"0:1,1,1;1:1,0,1;2:1,1,1;3:1,1,1;4:1,1,1;5:1,1,1;6:1,1,1;7:1,1,1;8:0,0,1",
       tables::With({{1, {true, false, true}}, {8, {false, false, true}}})},
      {"5:1,1,1;2:0,0,0;x:0,0,0;9:0,0,0", tables::With({{2, off}})},
      {"", DefaultVisibilityTable()},
      {"3:0,0", std::nullopt},
      {"4:0,0,0;2147483648:0,0,0", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ASSERT_TRUE(joiner.SetCvar(kInvisJsonCvar, "previous"));
    Deliver(joiner, c.message);
    EXPECT_EQ(Value(joiner, kInvisJsonCvar), c.stored ? EncodeVisibilityTable(*c.stored) : "previous");
  }
  Deliver(runner, "3:0,0,0");  // not in an online game: ignored
  EXPECT_EQ(Value(runner, kInvisJsonCvar), "previous");
}

// A plug-in object made by the test, outside the host's plug-in records: the
// host cannot drop its queued task, so only the object's own guard protects it.
// Its load hook makes its bridge, which finds the runner's NetcodePlugin at once.
TEST_F(Replication, QueuedSendOutlivingThePluginObjectDoesNothing) {
  ASSERT_TRUE(runner.SetCvar(kInvisJsonCvar, EncodeVisibilityTable(DefaultVisibilityTable())));
  Sim().RunPending();
  for (bool destroyFirst : {false, true}) {
    SCOPED_TRACE(destroyFirst ? "destroyed before the task runs" : "alive when the task runs");
    auto plugin = std::make_unique<Shroudweave>(exports);
    plugin->cvarManager = runner.CvarManager();
    plugin->gameWrapper = runner.Game();
    plugin->onLoad();
    ASSERT_TRUE(runner.SetCvar(kNetcodeMessageOutCvar, ""));
    plugin->QueueSendCurrentTable();
    ASSERT_EQ(runner.PendingTasks(), 1u);
    if (destroyFirst) plugin.reset();
    Sim().RunPending();
    EXPECT_EQ(Value(runner, kNetcodeMessageOutCvar),
              destroyFirst ? "" : "[Shroudweave]" + tables::kAllVisibleMessage);
  }
}
}  // namespace
