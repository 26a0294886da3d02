// Console variables of the simulated host: registration, bounds, callbacks,
// bound integers, and the saved configuration.

#include "common/SimulationTest.h"
#include "host/console/ConfigFile.h"
#include "pluginsdk.h"

namespace {

class HostCvars : public SimulationTest {
 protected:
  sim::Client& client = Sim().AddClient("solo");
  CVarManagerWrapper& cvars = *client.CvarManager();
};

TEST_F(HostCvars, NumericBoundsClampValuesAndLeaveOtherTextAlone) {
  struct Case {
    const char* typed;
    const char* stored;
  };
  const Case cases[] = {
      {"0", "0"},   {"1", "1"},           {"0.5", "0.5"}, {"2", "1"}, {"-3", "0"},
      {"1e9", "1"}, {" 0.25 ", " 0.25 "}, {"abc", "abc"}, {"", ""},   {"1x", "1x"},
  };
  CVarWrapper bounded = cvars.registerCvar("bounded", "0", "", true, true, 0.0f, true, 1.0f, false);
  for (const Case& c : cases) {
    bounded.setValue(std::string(c.typed));
    EXPECT_EQ(bounded.getStringValue(), c.stored) << "typed \"" << c.typed << "\"";
  }
  CVarWrapper wide = cvars.registerCvar("wide", "0", "", true, true, -2.5f, true, 1000.0f, false);
  wide.setValue(-7);
  EXPECT_EQ(wide.getStringValue(), "-2.5");
  wide.setValue(123456);
  EXPECT_EQ(wide.getStringValue(), "1000");
  CVarWrapper free = cvars.registerCvar("free", "5", "", true, false, 0.0f, false, 0.0f, false);
  free.setValue(-123456);
  EXPECT_EQ(free.getStringValue(), "-123456");
}

TEST_F(HostCvars, DefaultIsClampedToo) {
  CVarWrapper cvar = cvars.registerCvar("clamped", "9", "", true, false, 0.0f, true, 3.0f, false);
  EXPECT_EQ(cvar.getStringValue(), "3");
}

TEST_F(HostCvars, ValueReadings) {
  struct Case {
    const char* value;
    int asInt;
    float asFloat;
    bool asBool;
  };
  const Case cases[] = {{"1", 1, 1.0f, true},     {"0", 0, 0.0f, false},   {"", 0, 0.0f, false},
                        {"2.75", 2, 2.75f, true}, {"0.5", 0, 0.5f, false}, {"-4", -4, -4.0f, true},
                        {"abc", 0, 0.0f, false},  {"7up", 7, 7.0f, true},  {"1e12", 2147483647, 1e12f, true}};
  CVarWrapper cvar = cvars.registerCvar("reading", "", "", true, false, 0, false, 0, false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    cvar.setValue(std::string(c.value));
    EXPECT_EQ(cvar.getIntValue(), c.asInt);
    EXPECT_FLOAT_EQ(cvar.getFloatValue(), c.asFloat);
    EXPECT_EQ(cvar.getBoolValue(), c.asBool);
  }
}

TEST_F(HostCvars, RegisteringAgainReturnsTheExistingVariable) {
  CVarWrapper first = cvars.registerCvar("twice", "first", "one", true, false, 0, false, 0, false);
  first.setValue(std::string("changed"));
  CVarWrapper second = cvars.registerCvar("twice", "second", "two", false, true, 5, true, 6, true);
  EXPECT_EQ(first.memory_address, second.memory_address);
  EXPECT_EQ(second.getStringValue(), "changed");
  EXPECT_EQ(second.getDescription(), "one");
  EXPECT_FALSE(client.DescribeCvar("twice")->hasMin);
}

TEST_F(HostCvars, UnknownNamesAndEmptyWrappersAreHarmless) {
  CVarWrapper missing = cvars.getCvar("no_such_variable");
  EXPECT_TRUE(missing.IsNull());
  EXPECT_FALSE(missing);
  missing.setValue(1);
  missing.setValue(std::string("text"));
  missing.addOnValueChanged([](std::string, CVarWrapper) { FAIL() << "never called"; });
  missing.bindTo(std::make_shared<int>(3));
  EXPECT_EQ(missing.getStringValue(), "");
  EXPECT_EQ(missing.getCVarName(), "");
  EXPECT_FALSE(client.CvarValue("no_such_variable"));
  EXPECT_FALSE(client.SetCvar("no_such_variable", "1"));
  EXPECT_FALSE(cvars.registerCvar("has space", "", "", true, false, 0, false, 0, false));
  EXPECT_FALSE(cvars.registerCvar("", "", "", true, false, 0, false, 0, false));
  EXPECT_FALSE(CVarManagerWrapper(0).getCvar("anything"));
}

TEST_F(HostCvars, CallbacksRunInOrderBeforeSetValueReturns) {
  CVarWrapper cvar = cvars.registerCvar("watched", "old", "", true, false, 0, false, 0, false);
  std::vector<std::string> calls;
  cvar.addOnValueChanged([&](std::string oldValue, CVarWrapper changed) {
    calls.push_back("first " + oldValue + "->" + changed.getStringValue());
  });
  cvar.addOnValueChanged([&](std::string oldValue, CVarWrapper changed) {
    calls.push_back("second " + oldValue + "->" + changed.getStringValue() + " " + changed.getCVarName());
  });
  cvar.setValue(std::string("new"));
  EXPECT_EQ(calls, (std::vector<std::string>{"first old->new", "second old->new watched"}));
  cvar.setValue(std::string("new"));  // the same value again still notifies
  EXPECT_EQ(calls.size(), 4u);
}

TEST_F(HostCvars, CallbackAddedDuringNotificationWaitsForTheNextChange) {
  CVarWrapper cvar = cvars.registerCvar("growing", "", "", true, false, 0, false, 0, false);
  int late = 0;
  cvar.addOnValueChanged([&](std::string, CVarWrapper changed) {
    changed.addOnValueChanged([&](std::string, CVarWrapper) { ++late; });
  });
  cvar.setValue(1);
  EXPECT_EQ(late, 0);
  cvar.setValue(2);
  EXPECT_EQ(late, 1);
}

TEST_F(HostCvars, BindToKeepsTheIntegerEqualToTheValue) {
  CVarWrapper cvar = cvars.registerCvar("level", "3", "", true, false, 0, false, 0, false);
  auto bound = std::make_shared<int>(-1);
  cvar.bindTo(bound);
  EXPECT_EQ(*bound, 3) << "bound at once to the current value";
  int seenInCallback = -1;
  cvar.addOnValueChanged([&](std::string, CVarWrapper) { seenInCallback = *bound; });
  client.RunCommand("level 5");
  EXPECT_EQ(*bound, 5);
  EXPECT_EQ(seenInCallback, 5) << "bound integers are updated before callbacks run";
  cvar.setValue(std::string("junk"));
  EXPECT_EQ(*bound, 0);
}

TEST_F(HostCvars, ConfigTextEscapesRoundTrip) {
  const sim::ConfigValues values = {
      {"plain", "value"},
      {"empty", ""},
      {"json", R"({"invisDeque":[[true,false,true]]})"},
      {"tricky", "back\\slash \"quoted\"\nline\r\ttab"},
  };
  const std::string text = sim::FormatConfig(values);
  EXPECT_NE(text.find(R"(json "{\"invisDeque\":[[true,false,true]]}")"), std::string::npos) << text;
  EXPECT_EQ(sim::ParseConfig(text), values);
}

TEST_F(HostCvars, ConfigParserSkipsMalformedLines) {
  const sim::ConfigValues parsed = sim::ParseConfig(
      "good \"1\"\n"
      "unquoted 2\n"
      "\"noname\"\n"
      "open \"never closed\n"
      "\n"
      "spaced    \"a b\"\r\n"
      "last \"x\"");
  EXPECT_EQ(parsed, (sim::ConfigValues{{"good", "1"}, {"spaced", "a b"}, {"last", "x"}}));
}

TEST_F(HostCvars, SavedVariablesSurviveARestart) {
  cvars.registerCvar("kept", "default", "", true, false, 0, false, 0, true)
      .setValue(std::string("a \"b\"\nc"));
  cvars.registerCvar("dropped", "default", "", true, false, 0, false, 0, false).setValue(std::string("gone"));
  client.SaveConfig();
  RestartSimulation();
  sim::Client& again = Sim().AddClient("solo");
  // The host applies saved values after a plug-in's onLoad; here the saved text
  // is simply read back from the file.
  const sim::ConfigValues saved = sim::ReadConfigFile(again.DataFolder() / "config.cfg");
  EXPECT_EQ(saved.at("kept"), "a \"b\"\nc");
  EXPECT_EQ(saved.count("dropped"), 0u);
}

TEST_F(HostCvars, PluginVariablesComeBackAfterRestartAndReload) {
  ASSERT_TRUE(client.InstallPluginFile("Glimmerfade"));
  ASSERT_TRUE(client.LoadPlugin("Glimmerfade"));
  const std::string table = R"({"invisDeque":[[true,false,true]]})";
  client.RunCommand("invis_json " + table);
  client.RunCommand("shroudweave_enabled 1");
  RestartSimulation();
  sim::Client& again = Sim().AddClient("solo");
  ASSERT_TRUE(again.LoadPlugin("Glimmerfade"));
  EXPECT_EQ(again.CvarValue("invis_json"), table);
  EXPECT_EQ(again.CvarValue("shroudweave_enabled"), "1");
  Sim().RunPending();
  EXPECT_EQ(again.HookedEvents().size(), 1u);
}

}  // namespace
