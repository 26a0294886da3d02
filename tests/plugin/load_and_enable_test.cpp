// The plug-in loaded by the simulated host: what onLoad registers, what the
// enable switch does, and how saved settings come back.

#include <fstream>

#include "common/ConsoleLines.h"
#include "common/SimulationTest.h"
#include "host/modules/ModuleLoader.h"
#include "pluginsdk.h"

namespace {

using console_lines::Contains;

struct ExpectedCvar {
  const char* name;
  const char* defaultValue;
  const char* description;
  bool hasMin;
  float min;
  bool hasMax;
  float max;
  size_t callbacks;
};

const ExpectedCvar kPluginCvars[] = {
    {"shroudweave_enabled", "0", "Enable the invisible opponents plugin", true, 0.0f, true, 1.0f, 1},
    {"invis_json", "", "Stores data about who is invisible to who", false, 0.0f, false, 0.0f, 1},
    {"names_specshortcuts", "", "Maps players to their spectator shortcuts", false, 0.0f, false, 0.0f, 0},
};

class ShellLifecycle : public SimulationTest {
 protected:
  // Saved settings as a client finds them when it starts.
  void WriteConfig(const std::string& clientName, const std::string& text) {
    std::filesystem::create_directories(Root() / clientName);
    std::ofstream(Root() / clientName / "config.cfg") << text;
  }
};

TEST_F(ShellLifecycle, OnLoadRegistersTheThreeVariablesExactly) {
  sim::Client& client = NewClient("solo");
  ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
  for (const ExpectedCvar& expected : kPluginCvars) {
    SCOPED_TRACE(expected.name);
    std::optional<sim::CvarInfo> cvar = client.DescribeCvar(expected.name);
    ASSERT_TRUE(cvar.has_value());
    EXPECT_EQ(cvar->value, expected.defaultValue);
    EXPECT_EQ(cvar->defaultValue, expected.defaultValue);
    EXPECT_EQ(cvar->description, expected.description);
    EXPECT_TRUE(cvar->searchable);
    EXPECT_EQ(cvar->hasMin, expected.hasMin);
    EXPECT_EQ(cvar->min, expected.min);
    EXPECT_EQ(cvar->hasMax, expected.hasMax);
    EXPECT_EQ(cvar->max, expected.max);
    EXPECT_TRUE(cvar->saved);
    EXPECT_EQ(cvar->callbacks, expected.callbacks);
  }
  EXPECT_TRUE(client.HookedEvents().empty());
  EXPECT_EQ(client.EscapedExceptions(), 0u);
}

TEST_F(ShellLifecycle, OnLoadDoesNotHookWhateverTheCurrentValue) {
  sim::Client& client = NewClient("solo");
  // The variable exists with 1 before the plug-in loads, and is not saved, so
  // no restore of saved settings touches it: only onLoad could hook.
  client.CvarManager()->registerCvar("shroudweave_enabled", "1", "", true, false, 0, false, 0, false);
  ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
  EXPECT_EQ(client.CvarValue("shroudweave_enabled"), "1");
  EXPECT_TRUE(client.HookedEvents().empty());
}

TEST_F(ShellLifecycle, SavedEnableValueHooksThroughTheRestoreAfterOnLoad) {
  struct Case {
    const char* saved;
    bool hooked;
  };
  for (const Case& c : {Case{"1", true}, Case{"0", false}}) {
    SCOPED_TRACE(c.saved);
    const std::string name = std::string("saved") + c.saved;
    WriteConfig(name, std::string("shroudweave_enabled \"") + c.saved + "\"\n");
    sim::Client& client = NewClient(name);
    ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
    EXPECT_EQ(client.CvarValue("shroudweave_enabled"), c.saved);
    Sim().RunPending();
    EXPECT_EQ(client.HookedEvents() == std::vector<std::string>{kVehicleInputEvent}, c.hooked);
  }
}

// The game thread hooks and unhooks at its next turn, by the value it finds then.
TEST_F(ShellLifecycle, EnableSwitchHooksAndUnhooksTheVehicleInputEvent) {
  sim::Client& client = NewClient("solo");
  ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
  const auto set = [&](const std::string& value) {
    client.RunCommand("shroudweave_enabled " + value);
    Sim().RunPending();
  };
  client.RunCommand("shroudweave_enabled 1");
  EXPECT_TRUE(client.HookedEvents().empty());
  Sim().RunPending();
  EXPECT_EQ(client.HookedEvents(), std::vector<std::string>{kVehicleInputEvent});
  set("1");  // asking again replaces the hook
  EXPECT_EQ(client.HookedEvents(), std::vector<std::string>{kVehicleInputEvent});
  set("0");
  EXPECT_TRUE(client.HookedEvents().empty());
  set("7");  // clamped to the maximum, 1
  EXPECT_EQ(client.CvarValue("shroudweave_enabled"), "1");
  EXPECT_EQ(client.HookedEvents(), std::vector<std::string>{kVehicleInputEvent});
  EXPECT_EQ(client.EscapedExceptions(), 0u);
}

TEST_F(ShellLifecycle, LoadsCompletelyWithoutNetcodePlugin) {
  sim::Client& client = NewClient("solo");
  client.SetNetcodeAvailability(sim::NetcodeAvailability::Unavailable);
  ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
  for (const ExpectedCvar& expected : kPluginCvars)
    EXPECT_TRUE(client.CvarValue(expected.name)) << expected.name;
  EXPECT_TRUE(Contains(client.CommandHistory(), "cpm_install 166"));
  EXPECT_TRUE(
      Contains(client.Console(), "cpm_install 166: failed, NetcodePlugin is not available to this client"));
  EXPECT_EQ(client.EscapedExceptions(), 0u);
}

TEST_F(ShellLifecycle, SettingNamesListRunsNoCallback) {
  sim::Client& client = NewClient("solo");
  ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
  const size_t before = client.ConsoleSize();
  client.SetCvar("names_specshortcuts", "1,Ann;2;3;4;5;6;7;8;");
  EXPECT_EQ(client.ConsoleSize(), before);
  EXPECT_EQ(client.DescribeCvar("names_specshortcuts")->callbacks, 0u);
}

TEST_F(ShellLifecycle, LoadedPluginIsListedWithItsRecordAndInstance) {
  sim::Client& client = NewClient("solo");
  ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
  auto* list = client.Game()->GetPluginManager().GetLoadedPlugins();
  ASSERT_EQ(list->size(), 1u);
  const Corvane::Plugin::LoadedPlugin& entry = *list->front();
  ASSERT_NE(entry._details, nullptr);
  EXPECT_STREQ(entry._details->pluginClass, "Shroudweave");
  ASSERT_TRUE(entry._plugin);
  EXPECT_TRUE(entry._plugin->cvarManager);
  EXPECT_TRUE(entry._plugin->gameWrapper);
  EXPECT_EQ(entry._filename, (client.PluginsFolder() / sim::ModuleFileName("Glimmerfade")).string());
}

}  // namespace
