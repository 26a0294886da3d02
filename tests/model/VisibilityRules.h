#pragma once

// What Glimmerfade should do, written down a second time from its rules alone,
// so that tests can hold the plug-in against it: the visibility table and its
// JSON form, which cars a viewer sees, the names list, the replication message
// and the incoming envelope. Nothing here calls plug-in code.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace model {

using Flags = std::vector<bool>;   // visible to teammates, to opponents, to spectators
using Table = std::vector<Flags>;  // one entry per spectator shortcut number

// "invis_json" read the way every reader reads it.
struct Decoded {
  enum class Kind { NotJson, WrongShape, Rows };  // Rows: a table, in rows
  Kind kind = Kind::NotJson;
  Table rows;
};
Decoded DecodeTable(const std::string& text);
// At least 9 entries, entries 0 to 8 of at least 3 flags: a table that can be sent.
bool IsComplete(const Decoded& decoded);
Table DefaultTable();                         // 9 entries, every flag true
std::string EncodeTable(const Table& table);  // {"invisDeque":[[true,true,true],...]}

// Who looks at the screen of one client.
struct Viewer {
  int team = 255;          // the local controller's team number, 0 to 255
  bool hasEntry = false;   // the local controller has a player entry
  int ownShortcut = 0;     // that entry's shortcut number
  bool ownHasCar = false;  // that entry has a car
};

// A player entry of the match and its car.
struct Owner {
  std::string name;
  int team = 0;
  int shortcut = 0;
  bool spectator = false;
  bool hasCar = true;
};

enum class CarState { Shown, Hidden, Untouched };

// Whether passes look at a match at all: a local match always, an online one
// only in the enforced playlist.
bool Enforces(bool online, int playlist);

// Only players on a team, not spectating, with a car are ever looked at.
bool Qualifies(const Owner& owner);
// What one pass does to the owner's car under a table of at least 9 entries.
CarState Decide(const Table& table, const Viewer& viewer, const Owner& owner);

// One enforcement pass on a client that is in a match it enforces.
struct PassResult {
  std::string namesList;                               // what "names_specshortcuts" holds afterwards
  std::vector<std::pair<std::string, CarState>> cars;  // every entry of the roster, by name
  std::vector<std::string> lines;                      // console lines the pass may write
  bool wrongShape = false;                             // the table is JSON of the wrong shape
};
PassResult Pass(const Decoded& table, bool online, const Viewer& viewer, const std::vector<Owner>& roster);

// The names list a local match gives, and how the settings panel reads one.
std::string NamesList(const std::vector<Owner>& roster);
std::array<std::string, 9> ReadNamesList(const std::string& text);
// The labels of the panel's player nodes, slots 1 to 8 in order, with their slots.
std::vector<std::pair<int, std::string>> PanelNodes(const std::string& namesList);

// The replication message: composed by the match's host from a complete table,
// and the table an online client stores for a received one (nullopt: dropped).
std::string ReplicationMessage(const Table& table);
std::optional<Table> ReceivedTable(const std::string& message);
// The message the match's host sends for the text of its "invis_json": an
// empty one stands for the table that shows every car; nullopt when nothing
// is sent.
std::optional<std::string> MessageToSend(const std::string& invisJson);
// Whether the host sends its table again this many whole seconds after its
// last change: 1, 3, 6, 10 and 20 seconds after, then every 30 seconds.
bool RepeatDue(int64_t secondsSinceChange);

// The content of an incoming "NETCODE_Message_In" text when it is meant for
// the plug-in of that class name; nullopt when it is not.
std::optional<std::string> ContentFor(const std::string& incoming, const std::string& className);

}  // namespace model
