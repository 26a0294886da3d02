// The client's console: lines, and the commands a user or a plug-in can run.

#include "host/console/Console.h"

#include <algorithm>

#include "host/console/ConsoleWords.h"

namespace sim {

Console::Console(World& ofWorld, Plugins& clientPlugins, GameLoop& gameLoop, std::filesystem::path configFile)
    : world(ofWorld), plugins(clientPlugins), loop(gameLoop), configPath(std::move(configFile)) {}

void Console::Log(std::string line) {
  HostLock lock(world.mutex);
  lines.push_back(std::move(line));
  lineOrders.push_back(world.consoleLinesWritten++);
}

std::vector<std::string> Console::Lines() const {
  HostLock lock(world.mutex);
  return lines;
}

size_t Console::LineCount() const {
  HostLock lock(world.mutex);
  return lines.size();
}

std::vector<std::string> Console::LinesSince(size_t index) const {
  HostLock lock(world.mutex);
  if (index >= lines.size()) return {};
  return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(index), lines.end());
}

void Console::AddLinesFrom(uint64_t order, std::vector<NumberedLine>& into) const {
  HostLock lock(world.mutex);
  const auto first = std::lower_bound(lineOrders.begin(), lineOrders.end(), order);
  for (auto place = first; place != lineOrders.end(); ++place)
    into.push_back({*place, lines[static_cast<size_t>(place - lineOrders.begin())]});
}

std::vector<std::string> Console::History() const {
  HostLock lock(world.mutex);
  return commandHistory;
}

void Console::AddCommand(const std::string& word, Command command) { commands[word] = std::move(command); }

void Console::ExecuteCommand(const std::string& line, bool echo) {
  if (!world.OnGameThread()) {
    loop.HandOver([this, line, echo] { ExecuteCommand(line, echo); });
    return;
  }
  if (echo) Log("] " + line);
  const std::string command = TrimSpace(line);
  if (command.empty()) return;
  {
    HostLock lock(world.mutex);
    commandHistory.push_back(command);
  }
  std::string rest;
  const std::string word = FirstWord(command, rest);
  if (auto found = commands.find(word); found != commands.end()) {
    found->second(rest);
  } else if (Cvar* cvar = FindCvar(word)) {
    if (rest.empty()) {
      Log(cvar->name + " = \"" + CvarValueOf(*cvar) + "\"");
    } else {
      SetCvarValue(*cvar, Unquoted(rest));
    }
  } else {
    Log("Unknown command: " + word);
  }
}

}  // namespace sim
