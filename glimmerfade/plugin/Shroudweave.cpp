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
      .addOnValueChanged(guard.Bind(
          [](Shroudweave& self, const std::string&, CVarWrapper cvar) { self.OnEnabledChanged(cvar); }));

  cvarManager
      ->registerCvar(kInvisJsonCvar, "", "Stores data about who is invisible to who", true, false, 0.0f,
                     false, 0.0f, true)
      .addOnValueChanged(guard.Bind([](Shroudweave& self, std::string oldValue, CVarWrapper cvar) {
        self.onInvisJsonChanged(std::move(oldValue), cvar);
      }));

  cvarManager->registerCvar(kNamesListCvar, "", "Maps players to their spectator shortcuts", true, false,
                            0.0f, false, 0.0f, true);
}

// Every true value asks the host to hook again, every false value to unhook.
void Shroudweave::OnEnabledChanged(CVarWrapper enabled) {
  if (enabled.getBoolValue())
    gameWrapper->HookEventPost(kVehicleInputEvent, guard.Bind([](Shroudweave& self, const std::string&) {
      self.EnforceVisibility();
    }));
  else
    gameWrapper->UnhookEventPost(kVehicleInputEvent);
}

void Shroudweave::EnforceVisibility() {
  RunEnforcementPass(*cvarManager, *gameWrapper, enforcementPassMemory, wrongShapeReports);
}

// The host's callback hands the old value by value; it is not used.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void Shroudweave::onInvisJsonChanged(std::string /*oldValue*/, CVarWrapper variable) {
  PrepareReplication(
      *cvarManager, *gameWrapper, variable.getStringValue(),
      guard.Bind([](Shroudweave& self, const std::string& text) { self.QueueRemember(text); }),
      guard.Bind([](Shroudweave& self, const std::string& message) { self.QueueSend(message); }));
}

void Shroudweave::onNetcodeMessage(const std::string& message, PriWrapper /*sender*/) {
  ApplyReceivedTable(*cvarManager, *gameWrapper, message);
}

// The send runs later, as a game-thread task that owns its copy of the message.
void Shroudweave::QueueSend(const std::string& message) {
  gameWrapper->Execute(guard.Bind([message](Shroudweave& self, GameWrapper*) {
    if (self.netcode) self.netcode->SendNewMessage(message);
  }));
}

// The handler may run on any thread, the pass only on the game thread, where
// the memory is taken care of. Tasks run before the next events' passes.
void Shroudweave::QueueRemember(const std::string& text) {
  gameWrapper->Execute(
      guard.Bind([text](Shroudweave& self, GameWrapper*) { self.wrongShapeReports.Remember(text); }));
}
