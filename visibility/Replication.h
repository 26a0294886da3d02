#pragma once

#include <functional>
#include <string>

class CVarManagerWrapper;
class GameWrapper;

// Hands a replication message to the peer-messaging bridge. The caller decides
// how and when it is sent (the plug-in: later, on the game thread).
using SendReplicationMessage = std::function<void(const std::string& message)>;
// Hands on a text reported as JSON of the wrong shape, for the enforcement
// pass not to report it again (the plug-in: later, on the game thread).
using RememberWrongShape = std::function<void(const std::string& text)>;

// The client that runs the match sends every change of "invis_json": text is
// the new value. A client in an online game sends nothing. A table that cannot
// be sent is reported on the console and not sent (a wrong shape is also
// handed to remember); text that is not JSON is dropped silently.
void SendChangedTable(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& text,
                      const RememberWrongShape& remember, const SendReplicationMessage& send);

// A client in an online game stores the table a received message gives into
// "invis_json"; a client that runs its own match ignores messages.
void ApplyReceivedTable(CVarManagerWrapper& cvars, GameWrapper& game, const std::string& message);
