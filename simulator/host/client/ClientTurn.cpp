// The game thread's turn of one client: its rooms in order.

#include "host/client/ClientImpl.h"

namespace sim {

void Client::Impl::RunTurn(bool raiseEvents) {
  loop.RunHandedOver();
  loop.RunDueTimers();
  loop.RunNetwork();
  loop.RunTasks();
  if (raiseEvents && world.Current() && loop.HasHook(kVehicleInputEvent)) {
    const size_t cars = world.Current()->event.cars.items.size();
    for (size_t i = 0; i < cars && world.Current(); ++i) loop.RaiseEvent(kVehicleInputEvent);
  }
  console.SaveConfigIfChanged();
}

}  // namespace sim
