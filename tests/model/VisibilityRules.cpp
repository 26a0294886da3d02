#include "model/VisibilityRules.h"

#include <cctype>
#include <nlohmann/json.hpp>

namespace model {
namespace {
// The rules' numbers, written here a second time on purpose rather than taken
// from the plug-in's headers: a wrong number there shows as a disagreement.
constexpr int kEntries = 9;
constexpr int kFlags = 3;
constexpr int kNoTeam = 255;
constexpr int kEnforcedOnlinePlaylist = 24;
constexpr size_t kFlagPartLength = 5;  // "1,0,1"

// A decimal integer at the start of a text, read as std::stoi reads it.
struct Leading {
  enum class Status { Read, None, TooBig } status = Status::None;
  long long value = 0;
};

Leading ReadLeading(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  const size_t firstDigit = i;
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
    value = value > (1LL << 40) ? value : value * 10 + (text[i] - '0');
  if (i == firstDigit) return {};
  if (value > (negative ? 2147483648LL : 2147483647LL)) return {Leading::Status::TooBig, 0};
  return {Leading::Status::Read, negative ? -value : value};
}
}  // namespace

Decoded DecodeTable(const std::string& text) {
  const nlohmann::json document = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (document.is_discarded()) return {};
  const Decoded wrongShape{Decoded::Kind::WrongShape, {}};
  // A null document reads as an object whose member is null: no array either.
  if (!document.is_object()) return wrongShape;
  const auto member = document.find("invisDeque");
  if (member == document.end() || !member->is_array()) return wrongShape;
  Decoded decoded{Decoded::Kind::Rows, {}};
  for (const nlohmann::json& entry : *member) {
    if (!entry.is_array()) return wrongShape;
    Flags flags;
    for (const nlohmann::json& flag : entry) {
      if (!flag.is_boolean()) return wrongShape;
      flags.push_back(flag.get<bool>());
    }
    decoded.rows.push_back(flags);
  }
  return decoded;
}

bool IsComplete(const Decoded& decoded) {
  if (decoded.kind != Decoded::Kind::Rows || decoded.rows.size() < kEntries) return false;
  for (int n = 0; n < kEntries; ++n)
    if (decoded.rows[n].size() < kFlags) return false;
  return true;
}

Table DefaultTable() { return Table(kEntries, Flags(kFlags, true)); }

std::string EncodeTable(const Table& table) {
  std::string text = "{\"invisDeque\":[";
  for (size_t n = 0; n < table.size(); ++n) {
    text += n ? ",[" : "[";
    for (size_t k = 0; k < table[n].size(); ++k)
      text += std::string(k ? "," : "") + (table[n][k] ? "true" : "false");
    text += "]";
  }
  return text + "]}";
}

bool Enforces(bool online, int playlist) { return !online || playlist == kEnforcedOnlinePlaylist; }

bool Qualifies(const Owner& owner) { return !owner.spectator && owner.team != kNoTeam && owner.hasCar; }

CarState Decide(const Table& table, const Viewer& viewer, const Owner& owner) {
  if (!Qualifies(owner)) return CarState::Untouched;
  // A shortcut number that names no entry, an entry of fewer than 3 flags, or
  // a viewer without a player entry leaves the car as it was.
  if (owner.shortcut < 0 || owner.shortcut >= static_cast<int>(table.size())) return CarState::Untouched;
  const Flags& flags = table[owner.shortcut];
  if (flags.size() < kFlags || !viewer.hasEntry) return CarState::Untouched;
  if (viewer.ownHasCar && owner.shortcut == viewer.ownShortcut) return CarState::Shown;
  const bool shown = viewer.team < 2 ? flags[viewer.team == owner.team ? 0 : 1] : flags[2];
  return shown ? CarState::Shown : CarState::Hidden;
}

PassResult Pass(const Decoded& table, bool online, const Viewer& viewer, const std::vector<Owner>& roster) {
  PassResult result;
  result.namesList = online ? "" : NamesList(roster);
  for (const Owner& owner : roster) result.cars.push_back({owner.name, CarState::Untouched});
  if (table.kind == Decoded::Kind::NotJson) return result;
  result.wrongShape = table.kind == Decoded::Kind::WrongShape;
  if (result.wrongShape) return result;
  if (table.rows.size() < kEntries) {
    result.lines.push_back("playerInvisibilityStates is not populated!");
    return result;
  }
  for (size_t i = 0; i < roster.size(); ++i) {
    const Owner& owner = roster[i];
    const bool named = owner.shortcut >= 0 && owner.shortcut < static_cast<int>(table.rows.size());
    if (Qualifies(owner) && named && table.rows[owner.shortcut].size() < kFlags)
      result.lines.push_back("playerBools is not populated for player " + std::to_string(owner.shortcut));
    result.cars[i].second = Decide(table.rows, viewer, owner);
  }
  return result;
}

std::string NamesList(const std::vector<Owner>& roster) {
  std::array<std::string, kEntries> slots;
  for (const Owner& owner : roster)
    if (Qualifies(owner) && owner.shortcut >= 0 && owner.shortcut < kEntries)
      slots[owner.shortcut] = owner.name;
  std::string list;
  for (int n = 1; n < kEntries; ++n) {
    list += std::to_string(n);
    // A ";" would end the entry early, so the writer leaves it out of the name.
    if (!slots[n].empty()) list += ",";
    for (char c : slots[n])
      if (c != ';') list += c;
    list += ";";
  }
  return list;
}

std::array<std::string, 9> ReadNamesList(const std::string& text) {
  std::array<std::string, kEntries> slots;
  size_t start = 0;
  for (int read = 0; read < 8 && start < text.size(); ++read) {
    const size_t end = std::min(text.find(';', start), text.size());
    const std::string entry = text.substr(start, end - start);
    start = end + 1;
    const size_t comma = entry.find(',');
    const Leading number = ReadLeading(entry.substr(0, comma));
    if (number.status != Leading::Status::Read || number.value < 0 || number.value >= kEntries) continue;
    slots[number.value] = comma == std::string::npos ? "" : entry.substr(comma + 1);
  }
  return slots;
}

std::vector<std::pair<int, std::string>> PanelNodes(const std::string& namesList) {
  const std::array<std::string, kEntries> slots = ReadNamesList(namesList);
  std::vector<std::pair<int, std::string>> nodes;
  for (int n = 1; n < kEntries; ++n)
    if (!slots[n].empty()) nodes.push_back({n, slots[n]});
  return nodes;
}

std::string ReplicationMessage(const Table& table) {
  std::string message;
  for (int n = 0; n < kEntries; ++n) {
    message += (n ? ";" : "") + std::to_string(n) + ":";
    for (int k = 0; k < kFlags; ++k) message += std::string(k ? "," : "") + (table[n][k] ? "1" : "0");
  }
  return message;
}

std::optional<std::string> MessageToSend(const std::string& invisJson) {
  if (invisJson.empty()) return ReplicationMessage(DefaultTable());
  const Decoded decoded = DecodeTable(invisJson);
  if (!IsComplete(decoded)) return std::nullopt;
  return ReplicationMessage(decoded.rows);
}

bool RepeatDue(int64_t secondsSinceChange) {
  for (int64_t quick : {1, 3, 6, 10, 20})
    if (secondsSinceChange == quick) return true;
  return secondsSinceChange > 20 && (secondsSinceChange - 20) % 30 == 0;
}

std::optional<Table> ReceivedTable(const std::string& message) {
  std::vector<std::string> pieces;
  std::string rest = message;
  for (size_t separator; pieces.size() < 8 && (separator = rest.find(';')) != std::string::npos;) {
    pieces.push_back(rest.substr(0, separator));
    rest.erase(0, separator + 1);
  }
  pieces.push_back(rest);

  Table table = DefaultTable();
  for (const std::string& piece : pieces) {
    const size_t colon = piece.find(':');
    if (colon == std::string::npos) continue;
    const Leading row = ReadLeading(piece.substr(0, colon));
    if (row.status == Leading::Status::None) continue;
    const std::string flags = piece.substr(colon + 1);
    if (row.status == Leading::Status::TooBig || flags.size() < kFlagPartLength) return std::nullopt;
    // A row number within int but beyond the table names no entry: skipped.
    if (row.value < 0 || row.value >= kEntries) continue;
    for (int k = 0; k < kFlags; ++k)
      if (flags[2 * k] == '0') table[row.value][k] = false;
  }
  return table;
}

std::optional<std::string> ContentFor(const std::string& incoming, const std::string& className) {
  if (incoming.empty() || incoming[0] != '[') return std::nullopt;
  const size_t close = incoming.find(']');
  if (close == std::string::npos || incoming.substr(1, close - 1) != className) return std::nullopt;
  size_t end = close;  // the sender field, when there is one, ends the envelope
  if (close + 1 < incoming.size() && incoming[close + 1] == '[') end = incoming.find(']', close + 1);
  if (end == std::string::npos) return incoming;  // an unclosed sender field: the whole text is content
  return incoming.substr(end + 1);
}

}  // namespace model
