#include "Shroudweave.h"

#include "Exports.h"
#include "NamesList.h"
#include "NetcodeManager.h"
#include "Replication.h"
#include "VisibilityTable.h"

void Shroudweave::onLoad() {
  netcode = std::make_shared<NetcodeManager>(
      cvarManager, gameWrapper, OwnDescriptor(),
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
}

// The callback runs on the setter's thread; the hook is the game thread's.
void Shroudweave::OnEnabledChanged() {
  gameWrapper->Execute(guard.Bind([](Shroudweave& self, GameWrapper*) { self.FollowEnabledSwitch(); }));
}

// Every true value asks the host to hook again, every false value to unhook.
void Shroudweave::FollowEnabledSwitch() {
  if (cvarManager->getCvar(kEnabledCvar).getBoolValue())
    gameWrapper->HookEventPost(kVehicleInputEvent, guard.Bind([](Shroudweave& self, const std::string&) {
      self.EnforceVisibility();
    }));
  else
    gameWrapper->UnhookEventPost(kVehicleInputEvent);
}

// When the players of the match this client runs change, the table goes out
// again, so that whoever joined after the last send holds it too.
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
  gameWrapper->Execute(guard.Bind([](Shroudweave& self, GameWrapper*) { self.SendCurrentTable(); }));
}

void Shroudweave::SendCurrentTable() {
  PrepareReplication(*cvarManager, *gameWrapper, cvarManager->getCvar(kInvisJsonCvar).getStringValue(),
                     wrongShapeReports, [this](const std::string& message) {
                       if (netcode) netcode->SendNewMessage(message);
                     });
}
