#include "ReplicationMessage.h"

#include <array>

#include "LeadingInteger.h"

namespace glimmerfade {

namespace {
constexpr size_t kPieces = kTableEntries;  // one a row
// A row's flag part: a digit a flag, commas between ("1,0,1").
constexpr size_t kFlagPartLength = 2 * static_cast<size_t>(kEntryFlags) - 1;
// ClearFlags reads flag k's digit at 2 * k: every one lies within the part.
static_assert(2 * (static_cast<size_t>(kEntryFlags) - 1) < kFlagPartLength,
              "ClearFlags reads within the flag part");

using Pieces = std::array<std::string_view, kPieces>;

// Takes up to 8 pieces at the first ";"s; whatever remains is piece 9, further
// ";" included. Pieces between the last one taken and piece 9 stay empty.
Pieces SplitIntoPieces(std::string_view remaining) {
  Pieces pieces;
  for (size_t taken = 0; taken < kPieces - 1; ++taken) {
    const size_t separator = remaining.find(';');
    if (separator == std::string_view::npos) break;
    pieces[taken] = remaining.substr(0, separator);
    remaining.remove_prefix(separator + 1);
  }
  pieces[kPieces - 1] = remaining;
  return pieces;
}

// Characters 0, 2 and 4 of the flag part clear flags 0, 1 and 2 when "0".
void ClearFlags(std::string_view flagPart, std::deque<bool>& playerBools) {
  for (size_t k = 0; k < kEntryFlags; ++k)
    if (flagPart[2 * k] == '0') playerBools[k] = false;
}

// False when the piece spoils the whole message.
bool ApplyPiece(std::string_view piece, VisibilityTable& table) {
  const size_t colon = piece.find(':');
  if (colon == std::string_view::npos) return true;
  const LeadingInteger row = ReadLeadingInteger(piece.substr(0, colon));
  if (row.status == LeadingInteger::Status::NoNumber) return true;
  if (row.status == LeadingInteger::Status::OutOfRange) return false;
  const std::string_view flagPart = piece.substr(colon + 1);
  if (flagPart.size() < kFlagPartLength) return false;
  if (row.value < 0 || row.value >= kTableEntries) return true;
  ClearFlags(flagPart, table[row.value]);
  return true;
}

void AppendRow(int n, const std::array<bool, kEntryFlags>& playerBools, std::string& message) {
  message += std::to_string(n);
  message += ':';
  for (int k = 0; k < kEntryFlags; ++k) {
    if (k > 0) message += ',';
    message += playerBools[k] ? '1' : '0';
  }
}
}  // namespace

std::optional<ReplicatedFlags> ReplicatedPart(const VisibilityTable& playerInvisibilityStates) {
  if (playerInvisibilityStates.size() < static_cast<size_t>(kTableEntries)) return std::nullopt;
  ReplicatedFlags flags{};
  for (int n = 0; n < kTableEntries; ++n) {
    const std::deque<bool>& playerBools = playerInvisibilityStates[n];
    if (playerBools.size() < static_cast<size_t>(kEntryFlags)) return std::nullopt;
    for (int k = 0; k < kEntryFlags; ++k) flags[n][k] = playerBools[k];
  }
  return flags;
}

std::string ComposeReplicationMessage(const ReplicatedFlags& flags) {
  std::string message;
  for (int n = 0; n < kTableEntries; ++n) {
    if (n > 0) message += ';';
    AppendRow(n, flags[n], message);
  }
  return message;
}

std::optional<VisibilityTable> ParseReplicationMessage(std::string_view message) {
  VisibilityTable table = DefaultVisibilityTable();
  for (std::string_view piece : SplitIntoPieces(message))
    if (!ApplyPiece(piece, table)) return std::nullopt;
  return table;
}

}  // namespace glimmerfade
