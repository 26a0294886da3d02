#include <memory>
#include <optional>
#include <string>

#include "InvisibilityTable.h"
#include "ReplicationMessage.h"
#include "netcode/NetcodeManager.h"
#include "plugin/Shroudweave.h"

// Replication of the visibility table: the client that runs the match sends
// every change of "invis_json"; clients in an online game apply what arrives.

namespace {
// The table to send, or nothing (with a console line for a table that is JSON
// but cannot be sent). A wrong shape reported here is remembered, so that the
// enforcement pass does not report the same value again.
std::optional<InvisibilityTable> TableToSend(CVarManagerWrapper& cvars, const std::string& text,
                                             std::optional<std::string>& reportedMalformed) {
  DecodedInvisibilityStates decoded = DecodeInvisibilityStates(text);
  if (decoded.outcome == DecodedInvisibilityStates::Outcome::NotJson) return std::nullopt;
  if (decoded.outcome == DecodedInvisibilityStates::Outcome::WrongShape) {
    cvars.log("invis_json does not hold a visibility table: " + decoded.error);
    reportedMalformed = text;
    return std::nullopt;
  }
  if (!IsCompleteInvisibilityTable(decoded.table)) {
    cvars.log("invis_json holds fewer than 9 entries of 3 flags; nothing sent");
    return std::nullopt;
  }
  return std::move(decoded.table);
}
}  // namespace

void Shroudweave::onInvisJsonChanged(std::string /*oldValue*/, CVarWrapper variable) {
  if (gameWrapper->IsInOnlineGame()) return;
  std::optional<InvisibilityTable> table =
      TableToSend(*cvarManager, variable.getStringValue(), reportedMalformedInvisJson);
  if (!table) return;

  const std::string message = ComposeReplicationMessage(*table);
  cvarManager->log("Sending netcode message " + message);

  // The task runs later on the game thread; the plug-in may be gone by then.
  std::weak_ptr<int> alive = aliveToken;
  Shroudweave* self = this;
  gameWrapper->Execute([alive, self, message](GameWrapper*) {
    if (alive.expired() || !self->netcode) return;
    self->netcode->SendNewMessage(message);
  });
}

void Shroudweave::onNetcodeMessage(const std::string& message, PriWrapper /*sender*/) {
  if (!gameWrapper->IsInOnlineGame()) return;
  std::optional<InvisibilityTable> table = ParseReplicationMessage(message);
  if (!table) return;
  if (!cvarManager->getCvar("invis_json")) return;
  StoreInvisibilityStates(*cvarManager, std::move(*table));
}
