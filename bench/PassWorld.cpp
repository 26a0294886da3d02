#include "PassWorld.h"

#include <stdexcept>

#include "plugin/Shroudweave.h"
#include "pluginsdk.h"
#include "visibility/InvisibilityTable.h"

namespace bench {
namespace {

constexpr unsigned char kNoTeam = 255;

void Require(bool done, const std::string& what) {
  if (!done) throw std::runtime_error("benchmark set-up failed: " + what);
}

// Player2 hidden from teammates, Player5 from opponents, Player6 from everybody.
std::string TableText() {
  InvisibilityTable table = DefaultInvisibilityTable();
  table[2] = {false, true, true};
  table[5] = {true, false, true};
  table[6] = {false, false, false};
  return EncodeInvisibilityStates(table);
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
  simulation_ = std::make_unique<sim::Simulation>(scratch_.path);
  sim::Client& client = simulation_->AddClient("local");
  client_ = &client;
  client.SetNetcodeAvailability(sim::NetcodeAvailability::Unavailable);
  Require(client.InstallPluginFile("Glimmerfade") && client.LoadPlugin("Glimmerfade"), "load Glimmerfade");

  sim::Match& match = simulation_->CreateMatch("arena", 1);
  for (int n = 1; n <= kPlayers; ++n)
    match.AddPlayer({"Player" + std::to_string(n), n <= 4 ? 0 : 1, false, n});
  client.RunMatch(match);
  client.Control("Player1");
  Require(client.SetCvar(kInvisJsonCvar, TableText()), "set invis_json");
  Require(client.SetCvar(kEnabledCvar, "1"), "enable the plug-in");

  cvars_ = client.CvarManager();
  game_ = client.Game();
  game_->HookEventPost(emptyEvent_, [](std::string) {});
  ProjectPass();
  Require(Outcome() ==
              "1,Player1;2,Player2;3,Player3;4,Player4;5,Player5;6,Player6;7,Player7;8,Player8; "
              "hidden: Player2 Player5 Player6",
          "the first pass, which gave: " + Outcome());
  PlanFloor();
}

PassWorld::~PassWorld() = default;

void PassWorld::ProjectPass() { RunEnforcementPass(*cvars_, *game_, memory_, reports_); }

// The same pass keeping nothing: it decodes "invis_json" and composes the names
// list afresh every time.
void PassWorld::ReferencePass() {
  EnforcementPassMemory nothingKept;
  RunEnforcementPass(*cvars_, *game_, nothingKept, reports_);
}

void PassWorld::ModulePassThroughHook() { client_->RaiseVehicleInput(); }

void PassWorld::EmptyHookDispatch() { client_->RaiseEvent(emptyEvent_); }

// The decisions the project's pass made, kept for the floor.
void PassWorld::PlanFloor() {
  floorNames_ = client_->CvarValue(kNamesListCvar).value_or("");
  PriWrapper local = game_->GetPlayerController().GetPRI();
  ArrayWrapper<PriWrapper> roster = game_->GetGameEventAsServer().GetPRIs();
  floorSteps_.clear();
  for (int i = 0; i < roster.Count(); ++i) {
    PriWrapper pri = roster.Get(i);
    FloorStep step;
    step.readsCarTeam = pri.GetSpectatorShortcut() != local.GetSpectatorShortcut();
    step.hidden = client_->CarHidden(pri.GetPlayerName().ToString()).value_or(false) ? 1 : 0;
    floorSteps_.push_back(step);
  }
}

// Every host call of the project's pass over this world, in the same order and
// with the same arguments; none of its own work.
void PassWorld::FloorPass() {
  GameWrapper& game = *game_;
  if (game.IsInOnlineGame() || !game.IsInGame()) return;
  ServerWrapper event = game.GetGameEventAsServer();
  if (event.IsNull() || event.GetCars().IsNull()) return;
  PlayerControllerWrapper controller = game.GetPlayerController();
  if (!controller) return;
  controller.GetTeamNum2();
  PriWrapper local = controller.GetPRI();
  if (!local.IsNull()) {
    local.GetSpectatorShortcut();
    local.GetCar().IsNull();
  }
  ArrayWrapper<PriWrapper> roster = event.GetPRIs();

  game.IsInOnlineGame();
  for (int i = 0; i < RosterSize(roster); ++i) {
    PriWrapper pri = roster.Get(i);
    CarWrapper car = QualifyingCar(pri);
    if (!car) continue;
    pri.GetSpectatorShortcut();
    car.GetOwnerName();
  }
  cvars_->getCvar(kNamesListCvar).setValue(floorNames_);
  cvars_->getCvar(kInvisJsonCvar).getStringValue();

  for (int i = 0; i < RosterSize(roster); ++i) {
    PriWrapper pri = roster.Get(i);
    CarWrapper car = QualifyingCar(pri);
    if (!car) continue;
    pri.GetSpectatorShortcut();
    const FloorStep& step = floorSteps_[i];
    if (step.readsCarTeam) car.GetTeamNum2();
    car.SetHidden2(step.hidden);
  }
}

std::string PassWorld::Outcome() const {
  std::string outcome = client_->CvarValue(kNamesListCvar).value_or("<none>") + " hidden:";
  for (int n = 1; n <= kPlayers; ++n) {
    const std::string name = "Player" + std::to_string(n);
    if (client_->CarHidden(name).value_or(false)) outcome += " " + name;
  }
  return outcome;
}

}  // namespace bench
