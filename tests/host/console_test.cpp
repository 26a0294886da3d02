// The simulated host's console: echo, variables, plug-in commands, package
// installation and unknown commands, each with its exact line.

#include <atomic>
#include <fstream>
#include <map>
#include <thread>

#include "common/SimulationTest.h"
#include "host/modules/ModuleLoader.h"
#include "pluginsdk.h"

namespace {

namespace fs = std::filesystem;

class HostConsole : public SimulationTest {
 protected:
  // Runs a line and returns the console lines it wrote, echo included.
  std::vector<std::string> Run(sim::Client& client, const std::string& line) {
    const size_t before = client.ConsoleSize();
    client.RunCommand(line);
    return client.ConsoleSince(before);
  }
};

TEST_F(HostConsole, CommandsAnswerWithTheirLines) {
  sim::Client& client = NewClient("solo", {"HostProbe"});
  client.CvarManager()->registerCvar("color", "red", "", true, false, 0, false, 0, false);
  struct Case {
    const char* line;
    std::vector<std::string> output;
  };
  const Case cases[] = {
      {"color", {"] color", "color = \"red\""}},
      {"color blue", {"] color blue"}},
      {"color", {"] color", "color = \"blue\""}},
      {"color \"dark green\"", {"] color \"dark green\""}},
      {"color", {"] color", "color = \"dark green\""}},
      {"colour blue", {"] colour blue", "Unknown command: colour"}},
      {"   ", {"]    "}},
      {"plugin list", {"] plugin list", "No plug-ins loaded"}},
      {"plugin load HostProbe", {"] plugin load HostProbe", "Loaded plug-in HostProbe: Host Probe 0.1"}},
      {"plugin load HostProbe", {"] plugin load HostProbe", "Plug-in HostProbe is already loaded"}},
      {"plugin list", {"] plugin list", "HostProbe: Host Probe 0.1 (HostProbe)"}},
      {"plugin unload HostProbe",
       {"] plugin unload HostProbe", "probe onUnload", "Unloaded plug-in HostProbe"}},
      {"plugin unload HostProbe", {"] plugin unload HostProbe", "Plug-in HostProbe is not loaded"}},
      {"plugin load Missing",
       {"] plugin load Missing",
        "Cannot load plug-in Missing: no file plugins/" + sim::ModuleFileName("Missing")}},
      {"plugin load ../HostProbe", {"] plugin load ../HostProbe", "Invalid plug-in name \"../HostProbe\""}},
      {"plugin", {"] plugin", "Usage: plugin load NAME | plugin unload NAME | plugin list"}},
      {"plugin remove x",
       {"] plugin remove x", "Usage: plugin load NAME | plugin unload NAME | plugin list"}},
      {"cpm_install", {"] cpm_install", "Usage: cpm_install ID"}},
      {"cpm_install 7", {"] cpm_install 7", "cpm_install 7: failed, unknown package"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Run(client, c.line), c.output) << c.line;
  EXPECT_EQ(client.CommandHistory().front(), "color");
  EXPECT_EQ(client.EscapedExceptions(), 0u);
}

TEST_F(HostConsole, PluginLogLinesAndCommandEchoesKeepTheirOrder) {
  sim::Client& client = NewClient("solo", {"HostProbe"});
  ASSERT_TRUE(client.LoadPlugin("HostProbe"));
  auto cvars = client.CvarManager();
  cvars->log("first");
  cvars->executeCommand("probe_saved", true);
  cvars->executeCommand("probe_saved", false);
  cvars->log("last");
  const std::vector<std::string> expected = {"first", "] probe_saved", "probe_saved = \"default\"",
                                             "probe_saved = \"default\"", "last"};
  EXPECT_EQ(client.ConsoleSince(client.ConsoleSize() - 5), expected);
}

// Two threads write on two clients' consoles while a reader takes every
// client's lines in turns: each line comes out once, in its client's order.
// (A walk of the clients outside one lock could hand out a later line of one
// client before an earlier one of the other, which the reader would skip.)
TEST_F(HostConsole, EveryClientsLinesComeOutOnceInOrderWhileThreadsWrite) {
  sim::Client& first = Sim().AddClient("first");
  sim::Client& second = Sim().AddClient("second");
  const std::vector<sim::ConsoleLine> before = Sim().ConsoleLinesFrom(0);
  uint64_t from = before.empty() ? 0 : before.back().order + 1;
  constexpr int kLines = 20000;
  std::atomic<int> writing{2};
  const auto write = [&](sim::Client* client) {
    for (int i = 0; i < kLines; ++i) client->CvarManager()->log(std::to_string(i));
    --writing;
  };
  std::thread one(write, &first), other(write, &second);
  std::map<const sim::Client*, int> next;
  const auto take = [&] {
    for (const sim::ConsoleLine& line : Sim().ConsoleLinesFrom(from)) {
      ASSERT_EQ(line.text, std::to_string(next[line.client]++)) << line.client->Name();
      from = line.order + 1;
    }
  };
  while (writing > 0 && !HasFailure()) take();
  one.join();
  other.join();
  take();
  EXPECT_EQ(next[&first], kLines);
  EXPECT_EQ(next[&second], kLines);
}

TEST_F(HostConsole, NetcodeInstallFollowsTheClientsAvailability) {
  Sim().SetInstallDelay(1.5);
  sim::Client& installable = NewClient("installable", {});
  installable.SetNetcodeAvailability(sim::NetcodeAvailability::Installable);
  sim::Client& unavailable = NewClient("unavailable", {});
  unavailable.SetNetcodeAvailability(sim::NetcodeAvailability::Unavailable);
  const fs::path file = installable.PluginsFolder() / sim::ModuleFileName("NetcodePlugin");

  EXPECT_EQ(Run(installable, "cpm_install 166"),
            (std::vector<std::string>{"] cpm_install 166", "cpm_install 166: installing NetcodePlugin"}));
  EXPECT_EQ(Run(installable, "cpm_install 166").back(),
            "cpm_install 166: NetcodePlugin is already being installed");
  EXPECT_EQ(Run(unavailable, "cpm_install 166").back(),
            "cpm_install 166: failed, NetcodePlugin is not available to this client");

  Sim().AdvanceSeconds(1.4);
  EXPECT_FALSE(fs::exists(file));
  Sim().AdvanceSeconds(0.1);
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(installable.Console().back(), "cpm_install 166: NetcodePlugin installed");
  EXPECT_FALSE(installable.IsPluginLoaded("NetcodePlugin")) << "installing does not load";
  EXPECT_EQ(Run(installable, "cpm_install 166").back(),
            "cpm_install 166: NetcodePlugin is already installed");
  EXPECT_FALSE(fs::exists(unavailable.PluginsFolder() / sim::ModuleFileName("NetcodePlugin")));
}

TEST_F(HostConsole, NetcodeAvailabilityPlacesAndLoadsTheModule) {
  struct Case {
    sim::NetcodeAvailability availability;
    bool present;
    bool loaded;
  };
  const Case cases[] = {{sim::NetcodeAvailability::Loaded, true, true},
                        {sim::NetcodeAvailability::Present, true, false},
                        {sim::NetcodeAvailability::Installable, false, false},
                        {sim::NetcodeAvailability::Unavailable, false, false}};
  int n = 0;
  for (const Case& c : cases) {
    sim::Client& client = NewClient("client" + std::to_string(n++), {});
    client.SetNetcodeAvailability(c.availability);
    EXPECT_EQ(fs::exists(client.PluginsFolder() / sim::ModuleFileName("NetcodePlugin")), c.present) << n;
    EXPECT_EQ(client.IsPluginLoaded("NetcodePlugin"), c.loaded) << n;
    EXPECT_EQ(client.CvarValue("NETCODE_Message_Out").has_value(), c.loaded) << n;
  }
}

TEST_F(HostConsole, ModulesThatAreNotPluginsAreRefused) {
  sim::Client& client = NewClient("solo", {});
  std::ofstream(client.PluginsFolder() / sim::ModuleFileName("Broken")) << "not a shared object";
  EXPECT_FALSE(client.LoadPlugin("Broken"));
  const std::string line = client.Console().back();
  EXPECT_EQ(line.rfind("Cannot load plug-in Broken: ", 0), 0u) << line;
  // The system's reason names the file (Windows' texts hold an insert for it).
  EXPECT_NE(line.find(sim::ModuleFileName("Broken")), std::string::npos) << line;
  EXPECT_EQ(line.find("%1"), std::string::npos) << line;
  EXPECT_TRUE(client.LoadedPlugins().empty());
}

}  // namespace
