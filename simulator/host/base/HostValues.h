#pragma once

// The value types that the host's rooms and its public face share: what a
// player entry, a console variable or a client's holdings are, as data.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// How a client can get the NetcodePlugin module.
enum class NetcodeAvailability {
  Loaded,       // in the plugins folder and loaded at client start
  Present,      // in the plugins folder, not loaded
  Installable,  // not in the folder; "cpm_install 166" places it there after a delay
  Unavailable,  // not in the folder and not installable
};

struct PlayerSetup {
  std::string name;
  int team = 0;  // 0, 1, or 255 (no team)
  bool spectator = false;
  int shortcut = 0;  // spectator shortcut number
  bool hasCar = true;
  // The car's own team number and owner name, when they differ from the
  // entry's (a car can lag behind a team change, or carry another name).
  std::optional<int> carTeam = std::nullopt;
  std::optional<std::string> carOwnerName = std::nullopt;
};

// One player entry of a match (host-side, authoritative).
struct Player {
  PlayerSetup setup;
  int id = 0;  // stable id within the match
};

// Objects a client's host can hand out as null, each at the step where a
// plug-in asks for it: the world objects while the client is in a match, the
// plug-in manager at any time.
enum class WorldObject {
  OnlineGame,     // GetOnlineGame, while IsInOnlineGame stays true
  GameEvent,      // GetGameEventAsServer, while IsInGame stays true
  Playlist,       // the game event's GetPlaylist
  CarArray,       // the game event's GetCars
  PlayerArray,    // the game event's GetPRIs
  PluginManager,  // GameWrapper::GetPluginManager
};

// What a console variable was registered with, and its value.
struct CvarSettings {
  std::string name;
  std::string value;
  std::string defaultValue;
  std::string description;
  bool searchable = true;
  bool hasMin = false;
  float min = 0.0f;
  bool hasMax = false;
  float max = 0.0f;
  bool saved = true;
};

// A console variable as the host keeps it.
struct CvarInfo : CvarSettings {
  size_t callbacks = 0;  // on-change callbacks attached
  size_t boundInts = 0;  // integers kept equal to the value
};

// Everything plug-ins have registered with one client, counted.
struct HostRegistrations {
  size_t hooks = 0;
  size_t cvarCallbacks = 0;
  size_t boundInts = 0;
  size_t timers = 0;
  size_t tasks = 0;
  size_t netListeners = 0;
};

// What the host holds for one owner: a loaded plug-in, the host itself, or a
// plug-in that is no longer loaded (which should never hold anything).
struct HostHoldings {
  enum class Owner { LoadedPlugin, Host, UnloadedPlugin };
  Owner owner = Owner::Host;
  std::string plugin;                      // the loaded plug-in's name
  std::vector<std::string> hooks;          // event names
  std::vector<double> timers;              // due times, seconds of simulated time
  size_t tasks = 0;                        // game-thread tasks queued
  std::vector<std::string> cvarCallbacks;  // variable names, one per on-change callback
  std::vector<std::string> boundInts;      // variable names, one per bound integer
  std::vector<std::string> netListeners;   // network channels
  bool Empty() const {
    return hooks.empty() && timers.empty() && tasks == 0 && cvarCallbacks.empty() && boundInts.empty() &&
           netListeners.empty();
  }
};

}  // namespace sim
