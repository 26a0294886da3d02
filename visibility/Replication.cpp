#include "Replication.h"

#include <optional>
#include <utility>

#include "InvisibilityTable.h"
#include "ReplicationMessage.h"
#include "WrongShapeReports.h"
#include "pluginsdk.h"

// Replication of the visibility table: the client that runs the match sends
// every change of "invis_json"; clients in an online game apply what arrives.

namespace {
// The table to send, or nothing (with a console line for a table that is JSON
// but cannot be sent). A wrong shape reported here is handed on to be
// remembered, so that the enforcement pass does not report the same value again.
std::optional<InvisibilityTable> TableToSend(CVarManagerWrapper& cvars, const std::string& text,
                                             const RememberWrongShape& remember) {
  DecodedInvisibilityStates decoded = DecodeInvisibilityStates(text);
  if (decoded.outcome == DecodedInvisibilityStates::Outcome::NotJson) return std::nullopt;
  if (decoded.outcome == DecodedInvisibilityStates::Outcome::WrongShape) {
    LogWrongShape(cvars, decoded.error);
    remember(text);
    return std::nullopt;
  }
  if (!IsCompleteInvisibilityTable(decoded.table)) {
    cvars.log("invis_json holds fewer than 9 entries of 3 flags; nothing sent");
    return std::nullopt;
  }
  return std::move(decoded.table);
}
}  // namespace

void SendChangedTable(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& text,
                      const RememberWrongShape& remember, const SendReplicationMessage& send) {
  if (game.IsInOnlineGame()) return;
  const std::optional<InvisibilityTable> table = TableToSend(cvars, text, remember);
  if (!table) return;
  const std::string message = ComposeReplicationMessage(*table);
  cvars.log("Sending netcode message " + message);
  send(message);
}

void ApplyReceivedTable(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& message) {
  if (!game.IsInOnlineGame()) return;
  std::optional<InvisibilityTable> table = ParseReplicationMessage(message);
  if (!table) return;
  if (!cvars.getCvar(kInvisJsonCvar)) return;
  StoreInvisibilityStates(cvars, std::move(*table));
}
