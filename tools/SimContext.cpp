#include <cstdlib>

#include "SimCommands.h"

namespace {

std::map<std::string, SimCommand>& Table() {
  static std::map<std::string, SimCommand> table;
  return table;
}

}  // namespace

void RegisterSimCommand(SimCommand command) {
  const std::string name = command.name;
  Table()[name] = std::move(command);
}

const std::map<std::string, SimCommand>& SimCommands() { return Table(); }

sim::Client& SimContext::Current() const {
  if (!current) throw SimError("no client yet; start with \"sim client NAME\"");
  return *current;
}

sim::Match& SimContext::MatchNamed(const std::string& name) const {
  sim::Match* match = sim.FindMatch(name);
  if (!match) throw SimError("no match named \"" + name + "\"");
  return *match;
}

void SimContext::PrintConsole(const sim::Client& client) {
  size_t& done = printed[&client];
  for (const std::string& entry : client.ConsoleSince(done)) {
    // An entry may hold line feeds; every printed line carries the client's name.
    size_t start = 0;
    for (;;) {
      const size_t end = entry.find('\n', start);
      out << "[" << client.Name() << "] " << entry.substr(start, end - start) << "\n";
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  done = client.Console().size();
}

int IntArgument(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < -1000000 || value > 1000000)
    throw SimError(what + " must be a whole number, not \"" + text + "\"");
  return static_cast<int>(value);
}

double SecondsArgument(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(value >= 0) || value > 3600)
    throw SimError("seconds must be a number from 0 to 3600, not \"" + text + "\"");
  return value;
}

void RequireArguments(const std::vector<std::string>& args, size_t least, size_t most) {
  const size_t given = args.size() - 1;
  if (given < least || given > most) {
    const auto& table = SimCommands();
    auto found = table.find(args[0]);
    throw SimError("usage: sim " + (found == table.end() ? args[0] : found->second.usage));
  }
}
