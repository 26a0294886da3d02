// What the settings page shows, drawn by the host's Dear ImGui window with the
// real module: the enable switch, one node per named slot, and their boxes.
#include "common/panel_fixture.h"
#include "host/modules/ModuleLoader.h"
#include "host/settings/SettingsWindow.h"

namespace panel_test {
namespace {

std::string Page(const std::string& enable, const std::string& rows) {
  return "[" + enable + "] Enable plugin\n" + rows + kSeparator + "\n" + kCredit + "\n";
}

TEST_F(PanelTest, FreshPageShowsSwitchSeparatorAndCredit) {
  EXPECT_EQ(Draw(), Page(" ", ""));
  EXPECT_EQ(Value(kInvisJsonCvar), "");  // drawing writes nothing
}

TEST_F(PanelTest, ConsoleChangeShowsAtNextDraw) {
  client.RunCommand("shroudweave_enabled 1");
  EXPECT_EQ(Draw(), Page("x", ""));
  client.RunCommand("shroudweave_enabled 0");
  EXPECT_EQ(Draw(), Page(" ", ""));
}

TEST_F(PanelTest, OpenNodeShowsItsThreeBoxesTickedOnFirstUse) {
  SetNames("1,Ann;3,Bob");
  EXPECT_EQ(Draw(), Page(" ", "> Ann (closed)\n> Bob (closed)\n"));
  ASSERT_TRUE(Click({"Bob"}));
  EXPECT_EQ(Draw(), Page(" ",
                         "> Ann (closed)\n> Bob (open)\n"
                         "    [x] Visible to Teammates\n    [x] Visible to Opponents\n"
                         "    [x] Visible to Spectators\n"));
  ASSERT_TRUE(Click({"Bob"}));
  EXPECT_EQ(Draw(), Page(" ", "> Ann (closed)\n> Bob (closed)\n"));
  EXPECT_EQ(Value(kInvisJsonCvar), "");  // opening and closing write nothing
}

TEST_F(PanelTest, TooltipWhileSwitchIsHovered) {
  ASSERT_TRUE(Click({"Enable plugin"}));  // the mouse stays over the box
  EXPECT_EQ(Draw(), Page("x", "") + "tooltip: Toggle having invisible opponents\n");
  SetNames("2,Cy");
  ASSERT_TRUE(Click({"Cy"}));
  EXPECT_EQ(NodeLabels(Draw()), std::vector<std::string>{"Cy"});
  EXPECT_EQ(Draw().find("tooltip"), std::string::npos);
}

// Texts of "names_specshortcuts" and the nodes they give, in order.
struct NamesCase {
  const char* text;
  std::vector<std::string> nodes;
};

class NamesListNodes : public PanelTest, public ::testing::WithParamInterface<NamesCase> {};

TEST_P(NamesListNodes, NodesInSlotOrder) {
  SetNames(GetParam().text);
  const std::string page = Draw();
  EXPECT_EQ(NodeLabels(page), GetParam().nodes) << page;
  EXPECT_NE(page.find(kCredit), std::string::npos) << "the draw goes on after any entry";
}

const std::vector<std::string> kAtoH = {"A", "B", "C", "D", "E", "F", "G", "H"};

INSTANTIATE_TEST_SUITE_P(
    Texts, NamesListNodes,
    ::testing::Values(
        NamesCase{"", {}}, NamesCase{"1,Ann;3,Bob", {"Ann", "Bob"}}, NamesCase{"3,Bob;1,Ann", {"Ann", "Bob"}},
        NamesCase{"0,Zed", {}}, NamesCase{"5,A,B", {"A,B"}}, NamesCase{"5,", {}}, NamesCase{",Ann", {}},
        NamesCase{"x,Ann", {}}, NamesCase{"4x,Dee", {"Dee"}}, NamesCase{"2,Ann;2", {}},
        NamesCase{"2;2,Ann", {"Ann"}}, NamesCase{"1,A;2,B;3,C;4,D;5,E;6,F;7,G;8,H;", kAtoH},
        NamesCase{"1,A;2,B;3,C;4,D;5,E;6,F;7,G;8,H", kAtoH},
        NamesCase{"1,A;2,B;3,C;4,D;5,E;6,F;7,G;8,H;1,Z;", kAtoH}, NamesCase{"1;2;3;4;5;6;7;8;", {}},
        // std::stoi's reading: white space and a sign before the digits
        NamesCase{" 6,Fay;+7,Gus;-0,Zed", {"Fay", "Gus"}},
        // empty entries count among the eight read
        NamesCase{"1,A;;;;;;;;2,B", {"A"}},
        // numbers with no slot are skipped and the rest still read
        NamesCase{"9,Ann", {}}, NamesCase{"-1,Ann", {}}, NamesCase{"99999999999,Ann", {}},
        NamesCase{"-99999999999,Ann;2,Bo;2147483648,Cy", {"Bo"}}, NamesCase{"9,Ann;8,Hal", {"Hal"}}));

// The variables the page depends on, registered one by one on a client where
// the plug-in's load hook never ran: a copy of the module opened directly, its
// object given the client's console and shown in the client's settings window.
class PanelBeforeLoad : public SimulationTest {
 protected:
  sim::Client& client = NewClient("bare");
  void* module = nullptr;
  std::shared_ptr<Corvane::Plugin::CorvanePlugin> plugin;

  void SetUp() override {
    std::string error;
    module = sim::OpenModule(client.PluginsFolder() / sim::ModuleFileName("Glimmerfade"), error);
    ASSERT_NE(module, nullptr) << error;
    auto getPlugin = reinterpret_cast<uintptr_t (*)()>(sim::ModuleSymbol(module, "getPlugin"));
    ASSERT_NE(getPlugin, nullptr);
    plugin = *reinterpret_cast<std::shared_ptr<Corvane::Plugin::CorvanePlugin>*>(getPlugin());
    plugin->cvarManager = client.CvarManager();
    Sim().OnRenderThread([&] { client.SettingsWindowOnRenderThread().AddPage("Unloaded", plugin); });
  }
  void TearDown() override {
    SimulationTest::TearDown();
    Sim().OnRenderThread([&] { client.SettingsWindowOnRenderThread().RemovePage("Unloaded"); });
    plugin.reset();
    if (module) {
      reinterpret_cast<void (*)()>(sim::ModuleSymbol(module, "deleteMe"))();
      sim::CloseModule(module);
    }
  }
  void Register(const std::string& name, const std::string& value) {
    client.CvarManager()->registerCvar(name, value);
  }
};

TEST_F(PanelBeforeLoad, NothingWithoutTheEnableVariable) {
  Register(kNamesListCvar, "1,Ann");
  EXPECT_EQ(client.DrawSettings("Unloaded"), "");
}

TEST_F(PanelBeforeLoad, OnlyTheSwitchWithoutTheNamesVariable) {
  Register(kEnabledCvar, "1");
  EXPECT_EQ(client.DrawSettings("Unloaded"), "[x] Enable plugin\n");
  ASSERT_TRUE(client.ClickWidget("Unloaded", {"Enable plugin"}));
  EXPECT_EQ(client.DrawSettings("Unloaded"),
            "[ ] Enable plugin\ntooltip: Toggle having invisible opponents\n");
  EXPECT_EQ(client.CvarValue(kEnabledCvar), "0");
}

}  // namespace
}  // namespace panel_test
