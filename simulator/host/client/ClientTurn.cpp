// The game thread's turn of one client: its rooms in order.

#include "host/client/GameClient.h"

namespace sim {

void GameClient::RunTurn(bool raiseEvents) {
  loop.RunHandedOver();
  loop.RunDueTimers();
  loop.RunNetwork();
  loop.RunTasks();
  if (raiseEvents && match.Current() && loop.HasHook(kVehicleInputEvent)) {
    const size_t cars = match.Current()->event.cars.items.size();
    for (size_t i = 0; i < cars && match.Current(); ++i) loop.RaiseEvent(kVehicleInputEvent);
  }
  console.SaveConfigIfChanged();
}

}  // namespace sim
