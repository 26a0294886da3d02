#include "Shroudweave.h"

#include "Exports.h"
#include "netcode/NetcodeManager.h"

void Shroudweave::onLoad() {
  Shroudweave* self = this;
  netcode = std::make_shared<NetcodeManager>(
      cvarManager, gameWrapper, exports,
      [self](const std::string& message, PriWrapper sender) { self->onNetcodeMessage(message, sender); });

  cvarManager->getCvar("NETCODE_Log_Level").setValue(1);

  cvarManager
      ->registerCvar("shroudweave_enabled", "0", "Enable the invisible opponents plugin", true, true, 0.0f,
                     true, 1.0f, true)
      .addOnValueChanged([self](std::string, CVarWrapper cvar) {
        if (cvar.getBoolValue())
          self->gameWrapper->HookEventPost(kVehicleInputEvent,
                                           [self](std::string) { self->EnforceVisibility(); });
        else
          self->gameWrapper->UnhookEventPost(kVehicleInputEvent);
      });

  cvarManager
      ->registerCvar("invis_json", "", "Stores data about who is invisible to who", true, false, 0.0f, false,
                     0.0f, true)
      .addOnValueChanged(
          [self](std::string oldValue, CVarWrapper cvar) { self->onInvisJsonChanged(oldValue, cvar); });

  cvarManager->registerCvar("names_specshortcuts", "", "Maps players to their spectator shortcuts", true, false,
                            0.0f, false, 0.0f, true);
}
