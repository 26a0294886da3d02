#include "PassWorld.h"

#include <stdexcept>

#include "plugin/Shroudweave.h"
#include "pluginsdk.h"
#include "visibility/VisibilityTable.h"

namespace bench {
namespace {

constexpr unsigned char kNoTeam = 255;

void Require(bool done, const std::string& what) {
  if (!done) throw std::runtime_error("benchmark set-up failed: " + what);
}

// Player2 hidden from teammates, Player5 from opponents, Player6 from everybody.
std::string TableText() {
  VisibilityTable table = DefaultVisibilityTable();
  table[2] = {false, true, true};
  table[5] = {true, false, true};
  table[6] = {false, false, false};
  return EncodeVisibilityTable(table);
}

// The pass's own test of an entry: a player on a team, not spectating, with a car.
CarWrapper QualifyingCar(const PriWrapper& pri) {
  if (!pri || pri.IsSpectator() || pri.GetTeamNum() == kNoTeam) return CarWrapper(0);
  return pri.GetCar();
}

// The pass reads the roster's size this way before every entry.
int RosterSize(const ArrayWrapper<PriWrapper>& roster) { return roster.IsNull() ? 0 : roster.Count(); }

}  // namespace

PassWorld::PassWorld() {
  simulation = std::make_unique<sim::Simulation>(scratch.path);
  sim::Client& local = simulation->AddClient("local");
  client = &local;
  local.SetNetcodeAvailability(sim::NetcodeAvailability::Unavailable);
  Require(local.InstallPluginFile("Glimmerfade") && local.LoadPlugin("Glimmerfade"), "load Glimmerfade");

  sim::Match& match = simulation->CreateMatch("arena", 1);
  for (int n = 1; n <= kPlayers; ++n)
    match.AddPlayer({"Player" + std::to_string(n), n <= 4 ? 0 : 1, false, n});
  local.RunMatch(match);
  local.Control("Player1");
  Require(local.SetCvar(kInvisJsonCvar, TableText()), "set invis_json");
  Require(local.SetCvar(kEnabledCvar, "1"), "enable the plug-in");
  simulation->RunPending();  // the game thread hooks at its next turn

  cvars = local.CvarManager();
  game = local.Game();
  game->HookEventPost(emptyEvent, [](std::string) {});
  ProjectPass();
  Require(Outcome() ==
              "1,Player1;2,Player2;3,Player3;4,Player4;5,Player5;6,Player6;7,Player7;8,Player8; "
              "hidden: Player2 Player5 Player6",
          "the first pass, which gave: " + Outcome());
  PlanFloor();
}

PassWorld::~PassWorld() = default;

void PassWorld::ProjectPass() { RunEnforcementPass(*cvars, *game, memory, reports); }

// The same pass keeping nothing: it decodes "invis_json" and composes the names
// list afresh every time.
void PassWorld::ReferencePass() {
  EnforcementPassMemory nothingKept;
  RunEnforcementPass(*cvars, *game, nothingKept, reports);
}

void PassWorld::ModulePassThroughHook() { client->RaiseVehicleInput(); }

void PassWorld::EmptyHookDispatch() { client->RaiseEvent(emptyEvent); }

// The decisions the project's pass made, kept for the floor.
void PassWorld::PlanFloor() {
  floorNames = client->CvarValue(kNamesListCvar).value_or("");
  PriWrapper local = game->GetPlayerController().GetPRI();
  ArrayWrapper<PriWrapper> roster = game->GetGameEventAsServer().GetPRIs();
  floorSteps.clear();
  for (int i = 0; i < roster.Count(); ++i) {
    PriWrapper pri = roster.Get(i);
    FloorStep step;
    step.readsCarTeam = pri.GetSpectatorShortcut() != local.GetSpectatorShortcut();
    step.hidden = client->CarHidden(pri.GetPlayerName().ToString()).value_or(false) ? 1 : 0;
    floorSteps.push_back(step);
  }
}

// Every host call of the project's pass over this world, in the same order and
// with the same arguments; none of its own work.
void PassWorld::FloorPass() {
  GameWrapper& host = *game;
  if (host.IsInOnlineGame() || !host.IsInGame()) return;
  ServerWrapper event = host.GetGameEventAsServer();
  if (event.IsNull() || event.GetCars().IsNull()) return;
  PlayerControllerWrapper controller = host.GetPlayerController();
  if (!controller) return;
  controller.GetTeamNum2();
  PriWrapper local = controller.GetPRI();
  if (!local.IsNull()) {
    local.GetSpectatorShortcut();
    local.GetCar().IsNull();
  }
  ArrayWrapper<PriWrapper> roster = event.GetPRIs();

  host.IsInOnlineGame();
  for (int i = 0; i < RosterSize(roster); ++i) {
    PriWrapper pri = roster.Get(i);
    CarWrapper car = QualifyingCar(pri);
    if (!car) continue;
    pri.GetSpectatorShortcut();
    car.GetOwnerName();
  }
  cvars->getCvar(kNamesListCvar).setValue(floorNames);
  cvars->getCvar(kInvisJsonCvar).getStringValue();

  for (int i = 0; i < RosterSize(roster); ++i) {
    PriWrapper pri = roster.Get(i);
    CarWrapper car = QualifyingCar(pri);
    if (!car) continue;
    pri.GetSpectatorShortcut();
    const FloorStep& step = floorSteps[i];
    if (step.readsCarTeam) car.GetTeamNum2();
    car.SetHidden2(step.hidden);
  }
}

std::string PassWorld::Outcome() const {
  std::string outcome = client->CvarValue(kNamesListCvar).value_or("<none>") + " hidden:";
  for (int n = 1; n <= kPlayers; ++n) {
    const std::string name = "Player" + std::to_string(n);
    if (client->CarHidden(name).value_or(false)) outcome += " " + name;
  }
  return outcome;
}

}  // namespace bench
