#pragma once

// A client of the simulated host with the real Glimmerfade module loaded, whose
// settings page is drawn and clicked through the host's Dear ImGui window.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "GameEvents.h"
#include "common/SimulationTest.h"
#include "common/Tables.h"
#include "plugin/Shroudweave.h"
#include "visibility/NamesList.h"

namespace panel_test {

using namespace glimmerfade;
namespace fs = std::filesystem;

const char* const kCredit = "Plugin made by Marrowby#0000 - DM me on discord for custom plugin commissions!";
const char* const kSeparator = "--------------------------------";
const char* const kSendLine = "Sending netcode message ";

// The tree node labels of a page description, in order.
inline std::vector<std::string> NodeLabels(const std::string& description) {
  std::vector<std::string> labels;
  std::istringstream lines(description);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("> ", 0) != 0) continue;
    line = line.substr(2);
    for (const char* state : {" (open)", " (closed)"}) {
      const size_t at = line.rfind(state);
      if (at != std::string::npos && at + std::string(state).size() == line.size()) line.resize(at);
    }
    labels.push_back(line);
  }
  return labels;
}

class PanelTest : public SimulationTest {
 protected:
  sim::Client& client = PluginClient("local");

  std::string Draw() { return client.DrawSettings(); }
  bool Click(const std::vector<std::string>& labelPath) {
    return client.ClickWidget("Glimmerfade", labelPath);
  }
  void SetNames(const std::string& text) { ASSERT_TRUE(client.SetCvar(kNamesListCvar, text)); }
  std::string Value(const std::string& name) const { return client.CvarValue(name).value_or("<missing>"); }

  // Writes of "invis_json" since a console index: on a client that is not in
  // an online game each queues a send, whose line the next turn writes.
  size_t WritesSince(size_t consoleIndex) {
    Sim().RunPending();
    size_t writes = 0;
    for (const std::string& line : client.ConsoleSince(consoleIndex)) writes += line.rfind(kSendLine, 0) == 0;
    return writes;
  }
};

}  // namespace panel_test
