#pragma once

#include <functional>
#include <string>

class CVarManagerWrapper;
class GameWrapper;
class WrongShapeReports;

// Where a message goes on to: the caller decides how (the plug-in: its bridge).
using TextSink = std::function<void(const std::string& text)>;

// The client that runs the match sends the table for the other clients, on
// the game thread: text is what "invis_json" holds now. It composes the
// replication message, writes the "Sending netcode message" line and hands
// the message to sendMessage. A table that cannot be sent is reported on the
// console and not handed on (a wrong shape once per value while reports
// remembers it); text that is not JSON is dropped silently. A client in an
// online game sends nothing.
void PrepareReplication(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& text,
                        WrongShapeReports& reports, const TextSink& sendMessage);

// A client in an online game stores the table a received message gives into
// "invis_json"; a client that runs its own match ignores messages.
void ApplyReceivedTable(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& message);
