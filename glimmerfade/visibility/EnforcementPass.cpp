#include "EnforcementPass.h"

#include <cstdint>
#include <string>

#include "NamesList.h"
#include "VisibilityTable.h"
#include "pluginsdk.h"

namespace glimmerfade {

// The enforcement pass: after every run of the vehicle-input function, hide or
// show every qualifying car on this client, and keep the names list current.

namespace {
constexpr unsigned char kNoTeam = 255;

// Who is looking: the local controller's team and the local player's entry.
struct Viewer {
  unsigned char team = kNoTeam;
  bool hasLocalEntry = false;
  uintptr_t localEntry = 0;
  int ownShortcut = 0;
  bool hasOwnCar = false;
};

// Online only the enforced playlist; a local match always. Null: no pass.
ServerWrapper ChooseGameEvent(GameWrapper& game) {
  if (game.IsInOnlineGame()) {
    ServerWrapper online = game.GetOnlineGame();
    if (online.IsNull()) return ServerWrapper(0);
    GameSettingPlaylistWrapper playlist = online.GetPlaylist();
    if (!playlist || playlist.GetPlaylistId() != kEnforcedOnlinePlaylist) return ServerWrapper(0);
    return online;
  }
  if (game.IsInGame()) return game.GetGameEventAsServer();
  return ServerWrapper(0);
}

Viewer ReadViewer(const PlayerControllerWrapper& controller) {
  Viewer viewer;
  viewer.team = controller.GetTeamNum2();
  PriWrapper local = controller.GetPRI();
  viewer.hasLocalEntry = !local.IsNull();
  viewer.localEntry = local.memory_address;
  if (viewer.hasLocalEntry) {
    viewer.ownShortcut = local.GetSpectatorShortcut();
    viewer.hasOwnCar = !local.GetCar().IsNull();
  }
  return viewer;
}

int RosterSize(const ArrayWrapper<PriWrapper>& roster) { return roster.IsNull() ? 0 : roster.Count(); }

// The car of a qualifying entry (a player on a team, not spectating, with a
// car); a null car for any other entry.
CarWrapper QualifyingCar(const PriWrapper& pri) {
  if (!pri || pri.IsSpectator() || pri.GetTeamNum() == kNoTeam) return CarWrapper(0);
  return pri.GetCar();
}

bool IsNameSlot(int shortcut) { return shortcut >= 0 && shortcut < kSlots; }

// Fills the name slots from the roster and, in the same walk, compares the
// roster with the one walked last. True when it changed and holds someone
// other than the local player, to whom the table can go. A null roster array
// names nobody and tells nothing about who is in the match.
bool CollectNames(const ServerWrapper& event, const ArrayWrapper<PriWrapper>& roster, uintptr_t localEntry,
                  EnforcementPassMemory& memory) {
  for (std::string& slot : memory.names) slot.clear();
  if (roster.IsNull()) return false;
  memory.roster.BeginWalk(event.memory_address);
  bool othersPresent = false;
  for (int i = 0; i < roster.Count(); ++i) {
    PriWrapper pri = roster.Get(i);
    memory.roster.Walk(pri.memory_address);
    othersPresent = othersPresent || pri.memory_address != localEntry;
    CarWrapper car = QualifyingCar(pri);
    if (!car) continue;
    const int shortcut = pri.GetSpectatorShortcut();
    if (IsNameSlot(shortcut)) memory.names[shortcut] = car.GetOwnerName();
  }
  return memory.roster.EndWalk() && othersPresent;
}

// Emptied online, where this client does not edit the table and runs no
// match; composed locally. True when the players of the match this client
// runs changed, someone besides this client's player among them.
bool WriteNamesList(CVarManagerWrapper& cvars, GameWrapper& game, const ServerWrapper& event,
                    const ArrayWrapper<PriWrapper>& roster, uintptr_t localEntry,
                    EnforcementPassMemory& memory) {
  bool playersChanged = false;
  if (game.IsInOnlineGame()) {
    memory.roster.Forget();
    memory.namesList.clear();
  } else {
    playersChanged = CollectNames(event, roster, localEntry, memory);
    ComposeNamesListInto(memory.names, memory.namesList);
  }
  cvars.getCvar(kNamesListCvar).setValue(memory.namesList);
  return playersChanged;
}

// The decode of "invis_json", shared with the cache, or null when the pass must
// end here.
VisibilityTableDecodeCache::SharedDecode ReadTable(CVarManagerWrapper& cvars,
                                                   VisibilityTableDecodeCache& decodes,
                                                   WrongShapeReports& reports) {
  const std::string text = cvars.getCvar(kInvisJsonCvar).getStringValue();
  VisibilityTableDecodeCache::SharedDecode decoded = decodes.Decode(text);
  if (decoded->outcome == DecodedVisibilityTable::Outcome::NotJson) return nullptr;
  if (decoded->outcome == DecodedVisibilityTable::Outcome::WrongShape) {
    reports.ReportOnce(cvars, text, decoded->error);
    return nullptr;
  }
  if (decoded->table.size() < static_cast<size_t>(kTableEntries)) {
    cvars.log("playerInvisibilityStates is not populated!");
    return nullptr;
  }
  return decoded;
}

// The viewer always sees their own car; otherwise the flag for the car's
// relation to the viewer's team decides.
bool IsShownTo(const Viewer& viewer, int shortcut, const CarWrapper& car,
               const std::deque<bool>& playerBools) {
  if (viewer.hasOwnCar && shortcut == viewer.ownShortcut) return true;
  if (viewer.team < 2) return playerBools[viewer.team == car.GetTeamNum2() ? 0 : 1];
  return playerBools[2];
}

void ApplyToEntry(CVarManagerWrapper& cvars, const Viewer& viewer, const PriWrapper& pri, CarWrapper car,
                  const VisibilityTable& table) {
  const int shortcut = pri.GetSpectatorShortcut();
  if (shortcut < 0 || static_cast<size_t>(shortcut) >= table.size()) return;
  const std::deque<bool>& playerBools = table[shortcut];
  if (playerBools.size() < static_cast<size_t>(kEntryFlags)) {
    cvars.log("playerBools is not populated for player " + std::to_string(shortcut));
    return;
  }
  if (!viewer.hasLocalEntry) return;
  car.SetHidden2(IsShownTo(viewer, shortcut, car, playerBools) ? 0 : 1);
}

// Every qualifying car is set on every pass, shown ones included.
void ApplyTable(CVarManagerWrapper& cvars, const Viewer& viewer, const ArrayWrapper<PriWrapper>& roster,
                const VisibilityTable& table) {
  for (int i = 0; i < RosterSize(roster); ++i) {
    PriWrapper pri = roster.Get(i);
    CarWrapper car = QualifyingCar(pri);
    if (car) ApplyToEntry(cvars, viewer, pri, car, table);
  }
}
}  // namespace

bool RunEnforcementPass(CVarManagerWrapper& cvars, GameWrapper& game, EnforcementPassMemory& memory,
                        WrongShapeReports& reports) {
  ServerWrapper event = ChooseGameEvent(game);
  if (event.IsNull()) {
    memory.roster.Forget();
    return false;
  }
  if (event.GetCars().IsNull()) return false;
  PlayerControllerWrapper controller = game.GetPlayerController();
  if (!controller) return false;
  const Viewer viewer = ReadViewer(controller);
  ArrayWrapper<PriWrapper> roster = event.GetPRIs();

  // Writing the names list runs that variable's callbacks, which may run a
  // nested pass; the table is read after it, and held while cars are set.
  const bool playersChanged = WriteNamesList(cvars, game, event, roster, viewer.localEntry, memory);
  const VisibilityTableDecodeCache::SharedDecode decoded = ReadTable(cvars, memory.decodes, reports);
  if (decoded) ApplyTable(cvars, viewer, roster, decoded->table);
  return playersChanged;
}

}  // namespace glimmerfade
