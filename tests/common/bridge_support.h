#pragma once

// Shared by the bridge tests: one client of a simulation, console-line
// matchers, and a bridge owned by the test itself (built on the host's own
// wrappers) whose deliveries are recorded.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "common/ConsoleLines.h"
#include "common/SimulationTest.h"
#include "host/Simulation.h"
#include "netcode/NetcodeManager.h"

namespace netcode_test {

using namespace glimmerfade;

using console_lines::Count;

namespace fs = std::filesystem;

inline const std::string kReadyLine =
    "NetcodeManager has successfully detected that NetcodePlugin is loaded. Ready to go.";
inline const std::string kMissingCvar = "NetcodePlugin is loaded, but could not find cvar ";
// A loaded Glimmerfade always has one timer of its own pending beside the
// bridge's: its check, once a second, whether the table is due again.
inline constexpr size_t kResendCheckTimers = 1;

inline std::string GuardLine(const std::string& function) {
  return "NetcodeManager function (NetcodeManager::" + function + ") failed. NetcodePlugin is not loaded.";
}

// "(A: <clock>)   text" or "(C: <clock>)   text".
inline bool IsLevelLine(const std::string& line, char kind, const std::string& text) {
  static const std::regex prefix(R"(^\(([AC]): -?[0-9]+\)   )");
  std::smatch match;
  if (!std::regex_search(line, match, prefix) || match[1].str()[0] != kind) return false;
  return line.substr(match.length(0)) == text;
}

inline size_t CountLevelLines(const std::vector<std::string>& lines, char kind) {
  static const std::regex prefix(R"(^\([AC]: -?[0-9]+\)   )");
  size_t count = 0;
  for (const std::string& line : lines) count += std::regex_search(line, prefix) && line[1] == kind;
  return count;
}

struct Delivery {
  std::string content;
  uintptr_t sender;
};

// On-change callbacks attached to a console variable of the client (0: no such variable).
inline size_t CallbacksOn(const sim::Client& client, const std::string& cvar) {
  const std::optional<sim::CvarInfo> info = client.DescribeCvar(cvar);
  return info ? info->callbacks : 0;
}

// A bridge that names itself "Shroudweave" and records what it delivers.
struct RecordingBridge {
  std::shared_ptr<std::vector<Delivery>> deliveries = std::make_shared<std::vector<Delivery>>();
  std::shared_ptr<NetcodeManager> bridge;
  bool readyAtOnce = false;  // the bridge found NetcodePlugin while it was made

  explicit RecordingBridge(sim::Client& client) { Make(client); }
  void Make(sim::Client& client) {
    PluginDescriptor info{};
    info.pluginClass = "Shroudweave";
    auto sink = deliveries;
    const size_t listenersBefore = CallbacksOn(client, kNetcodeMessageInCvar);
    bridge = std::make_shared<NetcodeManager>(client.CvarManager(), client.Game(), info,
                                              [sink](const std::string& content, PriWrapper sender) {
                                                sink->push_back({content, sender.memory_address});
                                              });
    // A ready bridge listens to the incoming variable; until then it does not.
    readyAtOnce = CallbacksOn(client, kNetcodeMessageInCvar) > listenersBefore;
  }
};

// One client in a fresh simulation.
class OneClient : public SimulationTest {
 protected:
  sim::Client& client = Sim().AddClient("player");

  void LoadModule(const std::string& name) {
    ASSERT_TRUE(client.InstallPluginFile(name));
    ASSERT_TRUE(client.LoadPlugin(name));
  }
  std::vector<std::string> Since(size_t index) const { return client.ConsoleSince(index); }
  size_t Mark() const { return client.ConsoleSize(); }
};

}  // namespace netcode_test
