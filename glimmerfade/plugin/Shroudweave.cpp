#include "Shroudweave.h"

#include "MatchAudience.h"
#include "NamesList.h"
#include "NetcodeManager.h"
#include "Replication.h"
#include "VisibilityTable.h"

namespace glimmerfade {

void Shroudweave::onLoad() {
  netcode = std::make_shared<NetcodeManager>(
      cvarManager, gameWrapper, ownRecord,
      guard.Bind([](Shroudweave& self, const std::string& message, PriWrapper sender) {
        self.onNetcodeMessage(message, sender);
      }));

  cvarManager->getCvar(kNetcodeLogLevelCvar).setValue(1);

  cvarManager
      ->registerCvar(kEnabledCvar, "0", "Enable the invisible opponents plugin", true, true, 0.0f, true, 1.0f,
                     true)
      .addOnValueChanged(
          guard.Bind([](Shroudweave& self, const std::string&, CVarWrapper) { self.OnEnabledChanged(); }));

  cvarManager
      ->registerCvar(kInvisJsonCvar, "", "Stores data about who is invisible to who", true, false, 0.0f,
                     false, 0.0f, true)
      .addOnValueChanged(guard.Bind([](Shroudweave& self, std::string oldValue, CVarWrapper cvar) {
        self.onInvisJsonChanged(std::move(oldValue), cvar);
      }));

  cvarManager->registerCvar(kNamesListCvar, "", "Maps players to their spectator shortcuts", true, false,
                            0.0f, false, 0.0f, true);

  bridgeWasReady = netcode->IsReady();
  ScheduleResendCheck();
}

// The callback runs on the setter's thread; the hook is the game thread's.
void Shroudweave::OnEnabledChanged() {
  gameWrapper->Execute(guard.Bind([](Shroudweave& self, GameWrapper*) { self.FollowEnabledSwitch(); }));
}

// Hooks only when not hooked and unhooks only when hooked, so the plug-in never
// asks the host to hook an event twice.
void Shroudweave::FollowEnabledSwitch() {
  const bool enabled = cvarManager->getCvar(kEnabledCvar).getBoolValue();
  if (enabled == hooked) return;
  hooked = enabled;
  if (enabled)
    gameWrapper->HookEventPost(kVehicleInputEvent, guard.Bind([](Shroudweave& self, const std::string&) {
      self.EnforceVisibility();
    }));
  else
    gameWrapper->UnhookEventPost(kVehicleInputEvent);
}

// When the players of the match this client runs change (and someone besides
// its own player is there), the table goes out again, so that whoever joined
// after the last send holds it too.
void Shroudweave::EnforceVisibility() {
  if (RunEnforcementPass(*cvarManager, *gameWrapper, enforcementPassMemory, wrongShapeReports))
    QueueSendCurrentTable();
}

// The host's callback hands the old value by value; neither it nor the
// variable is used: the task reads the value when it runs. A client in an
// online game sends nothing, so it queues nothing.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void Shroudweave::onInvisJsonChanged(std::string /*oldValue*/, CVarWrapper /*variable*/) {
  if (!gameWrapper->IsInOnlineGame()) QueueSendCurrentTable();
}

void Shroudweave::onNetcodeMessage(const std::string& message, PriWrapper /*sender*/) {
  ApplyReceivedTable(*cvarManager, *gameWrapper, message);
}

void Shroudweave::QueueSendCurrentTable() {
  gameWrapper->Execute(
      guard.Bind([](Shroudweave& self, GameWrapper*) { self.SendCurrentTable(SendKind::Change); }));
}

// A change starts the quick repeats again, whether or not it could be sent.
void Shroudweave::SendCurrentTable(SendKind kind) {
  if (kind == SendKind::Change) resendSchedule.Restart();
  PrepareReplication(
      *cvarManager, *gameWrapper, cvarManager->getCvar(kInvisJsonCvar).getStringValue(), wrongShapeReports,
      [this](const std::string& message) {
        if (netcode) netcode->SendNewMessage(message);
      },
      kind);
}

void Shroudweave::ScheduleResendCheck() {
  gameWrapper->SetTimeout(guard.Bind([](Shroudweave& self, GameWrapper*) { self.CheckResend(); }), 1.0f);
}

// Repeats go out only from the host of a match with someone else in it, and
// only through a ready bridge, so they never write the bridge's guard line.
// When the bridge has just become ready, what it could not send goes out now.
void Shroudweave::CheckResend() {
  ScheduleResendCheck();
  const bool ready = netcode && netcode->IsReady();
  const bool becameReady = ready && !bridgeWasReady;
  bridgeWasReady = ready;
  bool due = resendSchedule.SecondPassed();
  const MatchAudience audience = AudienceOfMatchRun(*gameWrapper);
  if (audience == MatchAudience::NoMatchRun) enforcementPassMemory.roster.Forget();
  if (becameReady) {
    resendSchedule.Restart();
    due = true;
  }
  if (due && ready && audience == MatchAudience::Others) SendCurrentTable(SendKind::Repeat);
}

}  // namespace glimmerfade
