// "sim help": every word has an entry, each entry's description starts in the
// description column after a gap (on the usage's line or below it), and no
// line is longer than 100 characters.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "testing/SimScript.h"

namespace {

TEST(HelpCommand, ListsEveryWordWithItsUsageAndDescriptionApart) {
  const sim_script::ScriptRun run = sim_script::RunSimScript("sim help\n");
  ASSERT_EQ(run.failures, 0) << run.output;
  for (const char* usage : {"sim client NAME", "sim cars", "sim tick [N]", "sim player add|update|remove"})
    EXPECT_TRUE(run.Has(usage)) << usage;
  constexpr size_t kColumn = 50;
  std::map<std::string, bool> described;  // word -> a line starts its description in the column
  std::string word;
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 100u) << line;
    if (line.rfind("  sim ", 0) == 0) word = line.substr(6, line.find(' ', 6) - 6);
    if (line.size() > kColumn && line.compare(kColumn - 2, 2, "  ") == 0 && line[kColumn] != ' ')
      described[word] = true;
  }
  const std::vector<std::string> words = {
      "cars",       "click",        "client",      "clock",         "console",  "control",     "delay",
      "echo",       "event",        "help",        "imgui-context", "incoming", "join",        "leave",
      "match",      "netcode-file", "netcode-var", "nocontroller",  "null",     "open",        "panel",
      "player",     "players",      "playlist",    "quit",          "render",   "restart",     "run",
      "screenshot", "state",        "strict",      "tick",          "use",      "viewer-team", "wait"};
  for (const std::string& each : words) EXPECT_TRUE(described[each]) << each;
  EXPECT_EQ(described.size(), words.size()) << run.output;
}

}  // namespace
