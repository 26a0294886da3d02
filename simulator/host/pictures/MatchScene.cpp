// A client's scene, read from its replica of the match and its controller.
#include "host/pictures/MatchScene.h"

#include "host/world/ClientMatch.h"

namespace sim {

MatchScene SceneOf(const std::string& clientName, const ClientMatch& view) {
  MatchScene scene;
  scene.client = clientName;
  const Replica* replica = view.Current();
  if (!replica || !replica->match) return scene;
  const ControllerObject* controller = view.Controller();
  scene.match = replica->match->Name();
  scene.online = replica->online;
  scene.viewerTeam = controller ? controller->team : 255;
  for (const PriObject* pri : replica->event.pris.items) {
    if (!pri->car) continue;
    ViewedCar car;
    car.playerId = pri->playerId;
    car.name = pri->name.text;
    car.team = pri->car->team;
    car.hidden = pri->car->hidden;
    car.own = controller && controller->pri == pri;
    scene.cars.push_back(std::move(car));
  }
  return scene;
}

}  // namespace sim
