// "sim help": every registered word has one entry, which holds its usage and
// its description and nothing else; every description starts in one column,
// apart from the usage; and no line is longer than 100 characters.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>

#include "SimCommands.h"
#include "common/SimScript.h"

namespace {

std::string Collapsed(const std::string& text) {
  std::istringstream words(text);
  std::string collapsed;
  for (std::string word; words >> word;) collapsed += (collapsed.empty() ? "" : " ") + word;
  return collapsed;
}

// Where a line's description starts: after the first gap of two spaces that
// follows the usage (a usage is indented by less than its description), or
// at the first character of a line that holds only description; npos on a
// line that holds only usage.
size_t DescriptionColumn(const std::string& line) {
  constexpr size_t kUsageIndentAtMost = 8;
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return std::string::npos;
  if (first > kUsageIndentAtMost) return first;
  const size_t gap = line.find("  ", first);
  return gap == std::string::npos ? std::string::npos : line.find_first_not_of(' ', gap);
}

TEST(HelpCommand, ListsEveryWordWithItsUsageAndDescriptionApart) {
  const sim_script::ScriptRun run = sim_script::RunSimScript("sim help\n");
  ASSERT_EQ(run.failures, 0) << run.output;
  std::map<std::string, std::string> entries;  // word -> the entry's lines, joined
  std::set<size_t> columns;
  std::string word;
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 100u) << line;
    if (line.rfind("  sim ", 0) == 0) word = line.substr(6, line.find(' ', 6) - 6);
    entries[word] += line + "\n";
    if (const size_t column = DescriptionColumn(line); column != std::string::npos) columns.insert(column);
  }
  EXPECT_EQ(columns.size(), 1u) << run.output;
  for (const auto& [name, command] : SimCommands()) {
    ASSERT_TRUE(entries.count(name)) << name;
    EXPECT_EQ(Collapsed(entries[name]), Collapsed("sim " + command.usage + " " + command.help)) << name;
  }
  EXPECT_EQ(entries.size(), SimCommands().size()) << run.output;
}

}  // namespace
