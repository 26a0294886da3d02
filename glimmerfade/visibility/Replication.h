#pragma once

#include <functional>
#include <string>

class CVarManagerWrapper;
class GameWrapper;

// Where a text goes on to: the caller decides how and when (the plug-in:
// later, on the game thread).
using TextSink = std::function<void(const std::string& text)>;

// The client that runs the match prepares every change of "invis_json" for
// the other clients: text is the new value. It composes the replication
// message, writes the "Sending netcode message" line and hands the message to
// sendMessage. A table that cannot be sent is reported on the console and not
// handed on (a wrong shape's text goes to rememberWrongShape); text that is
// not JSON is dropped silently. A client in an online game prepares nothing.
void PrepareReplication(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& text,
                        const TextSink& rememberWrongShape, const TextSink& sendMessage);

// A client in an online game stores the table a received message gives into
// "invis_json"; a client that runs its own match ignores messages.
void ApplyReceivedTable(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& message);
