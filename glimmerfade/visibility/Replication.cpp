#include "Replication.h"

#include <optional>
#include <utility>

#include "ReplicationMessage.h"
#include "VisibilityTable.h"
#include "WrongShapeReports.h"
#include "pluginsdk.h"

namespace glimmerfade {

// Replication of the visibility table: the client that runs the match sends
// every change of "invis_json" and repeats it; clients in an online game apply
// what arrives.

namespace {
// What a message is to carry, or nothing. For a change, a table that is JSON
// but cannot be sent gets a console line; a wrong shape is reported as the
// enforcement pass reports it, through the same memory, so that a value is
// reported once whichever of the two meets it first.
std::optional<ReplicatedFlags> FlagsToSend(CVarManagerWrapper& cvars, const std::string& text,
                                           WrongShapeReports& reports, SendKind kind) {
  if (text.empty()) return ReplicatedPart(DefaultVisibilityTable());
  const DecodedVisibilityTable decoded = DecodeVisibilityTable(text);
  if (decoded.outcome == DecodedVisibilityTable::Outcome::NotJson) return std::nullopt;
  const bool tell = kind == SendKind::Change;
  if (decoded.outcome == DecodedVisibilityTable::Outcome::WrongShape) {
    if (tell) reports.ReportOnce(cvars, text, decoded.error);
    return std::nullopt;
  }
  std::optional<ReplicatedFlags> flags = ReplicatedPart(decoded.table);
  if (!flags && tell) cvars.log("invis_json holds fewer than 9 entries of 3 flags; nothing sent");
  return flags;
}
}  // namespace

void PrepareReplication(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& text,
                        WrongShapeReports& reports, const TextSink& sendMessage, SendKind kind) {
  if (game.IsInOnlineGame()) return;
  const std::optional<ReplicatedFlags> flags = FlagsToSend(cvars, text, reports, kind);
  if (!flags) return;
  const std::string message = ComposeReplicationMessage(*flags);
  if (kind == SendKind::Change) cvars.log("Sending netcode message " + message);
  sendMessage(message);
}

void ApplyReceivedTable(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& message) {
  if (!game.IsInOnlineGame()) return;
  std::optional<VisibilityTable> table = ParseReplicationMessage(message);
  if (!table) return;
  if (!cvars.getCvar(kInvisJsonCvar)) return;
  StoreInvisibilityStates(cvars, std::move(*table));
}

}  // namespace glimmerfade
