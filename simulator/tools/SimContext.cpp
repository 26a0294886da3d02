#include <cctype>
#include <cstdlib>
#include <optional>

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

namespace {

std::string IdList(const std::vector<sim::Player*>& players) {
  std::string text;
  for (const sim::Player* player : players) text += (text.empty() ? "#" : ", #") + std::to_string(player->id);
  return text;
}

// A number after the marker, e.g. "#12" -> 12; nullopt for anything else.
std::optional<int> MarkedNumber(const std::string& text, char marker) {
  if (text.size() < 2 || text[0] != marker) return std::nullopt;
  for (size_t i = 1; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i])) || i > 7) return std::nullopt;
  }
  return std::stoi(text.substr(1));
}

}  // namespace

sim::Player& SimContext::PlayerNamed(sim::Match& match, const std::string& reference) const {
  std::vector<sim::Player*> named, slotted;
  const std::optional<int> slot = MarkedNumber(reference, '@');
  for (sim::Player* player : match.Players()) {
    if (player->setup.name == reference) named.push_back(player);
    if (slot && player->setup.shortcut == *slot) slotted.push_back(player);
  }
  if (named.size() == 1) return *named.front();
  if (named.size() > 1)
    throw SimError(std::to_string(named.size()) + " players of " + match.Name() + " are named \"" +
                   reference + "\" (" + IdList(named) + "); refer to one by #ID or @SLOT");
  if (const std::optional<int> id = MarkedNumber(reference, '#')) {
    if (sim::Player* player = match.FindPlayer(*id)) return *player;
    throw SimError("no player #" + std::to_string(*id) + " in " + match.Name());
  }
  if (slotted.size() == 1) return *slotted.front();
  if (slotted.size() > 1)
    throw SimError(std::to_string(slotted.size()) + " players of " + match.Name() + " have shortcut " +
                   reference.substr(1) + " (" + IdList(slotted) + "); refer to one by #ID");
  throw SimError("no player \"" + reference + "\" in " + match.Name());
}

int IntArgument(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < -1000000 || value > 1000000)
    throw SimError(what + " must be a whole number, not \"" + text + "\"");
  return static_cast<int>(value);
}

bool YesNoArgument(const std::string& text, const std::string& what) {
  if (text == "yes") return true;
  if (text == "no") return false;
  throw SimError(what + " takes yes or no, not \"" + text + "\"");
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
