// "sim help": every command with its usage and what it does, one entry each.
// A usage too long for its column stands on a line of its own, and long texts
// wrap, so that usage and description never run into each other.

#include <string>
#include <vector>

#include "SimCommands.h"

namespace {

constexpr size_t kLineWidth = 100;
constexpr size_t kDescriptionColumn = 50;
constexpr size_t kGap = 2;
const std::string kUsageIndent = "  sim ";
const std::string kUsageContinuation = "        ";

// Splits text into lines of at most width characters at spaces (a longer word stands alone).
std::vector<std::string> Wrapped(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  std::string line;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      lines.push_back(line);
      line.clear();
    }
    if (!word.empty()) line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}

void PrintEntry(std::ostream& out, const SimCommand& command) {
  std::vector<std::string> usage = Wrapped(command.usage, kLineWidth - kUsageIndent.size());
  for (size_t i = 1; i < usage.size(); ++i) usage[i] = kUsageContinuation + usage[i];
  usage[0] = kUsageIndent + usage[0];
  const std::vector<std::string> description = Wrapped(command.help, kLineWidth - kDescriptionColumn);

  // The description starts on the usage's last line when it fits after a gap.
  const bool sameLine = usage.back().size() + kGap <= kDescriptionColumn;
  for (size_t i = 0; i + 1 < usage.size(); ++i) out << usage[i] << "\n";
  size_t first = 0;
  if (sameLine) {
    out << usage.back() << std::string(kDescriptionColumn - usage.back().size(), ' ') << description[0]
        << "\n";
    first = 1;
  } else {
    out << usage.back() << "\n";
  }
  for (size_t i = first; i < description.size(); ++i)
    out << std::string(kDescriptionColumn, ' ') << description[i] << "\n";
}

void Help(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 0);
  for (const auto& [name, command] : SimCommands()) PrintEntry(context.out, command);
}

void Quit(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 0);
  context.quit = true;
}

const SimCommandRegistrar kHelpCommands[] = {
    SimCommandRegistrar({"help", "help", "this list", Help}),
    SimCommandRegistrar({"quit", "quit", "ends the script or the interactive session here", Quit}),
};

}  // namespace
