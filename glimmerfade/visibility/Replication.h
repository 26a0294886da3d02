#pragma once

#include <functional>
#include <string>

class CVarManagerWrapper;
class GameWrapper;

namespace glimmerfade {

class WrongShapeReports;

// Where a message goes on to: the caller decides how (the plug-in: its bridge).
using TextSink = std::function<void(const std::string& text)>;

// How a send of the table is told: a change of the table or of the match's
// players writes the "Sending netcode message" line and reports a table that
// cannot be sent; a repeat of what was sent before is silent (the bridge's own
// diagnostics still show it).
enum class SendKind { Change, Repeat };

// The client that runs the match sends the table for the other clients, on
// the game thread: text is what "invis_json" holds now. It composes the
// replication message and hands it to sendMessage. An empty text, a host that
// never set a table, sends the table that shows every car, so that a table
// left on the other clients by the last match's host stops hiding cars. A
// table that cannot be sent is not handed on; text that is not JSON is
// dropped silently. A client in an online game sends nothing.
void PrepareReplication(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& text,
                        WrongShapeReports& reports, const TextSink& sendMessage, SendKind kind);

// A client in an online game stores the table a received message gives into
// "invis_json"; a client that runs its own match ignores messages.
void ApplyReceivedTable(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& message);

}  // namespace glimmerfade
