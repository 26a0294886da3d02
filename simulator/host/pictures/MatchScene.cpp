// A client's scene, read from its replica of the match and its controller.
#include "host/pictures/MatchScene.h"

#include "host/client/ClientImpl.h"

namespace sim {

MatchScene SceneOf(Client& client) {
  Client::Impl& impl = client.Internals();
  MatchScene scene;
  scene.client = impl.name;
  if (!impl.replica || !impl.replica->match) return scene;
  scene.match = impl.replica->match->Name();
  scene.online = impl.replica->online;
  scene.viewerTeam = impl.hasController ? impl.controller.team : 255;
  for (const PriObject* pri : impl.replica->event.pris.items) {
    if (!pri->car) continue;
    ViewedCar car;
    car.playerId = pri->playerId;
    car.name = pri->name.text;
    car.team = pri->car->team;
    car.hidden = pri->car->hidden;
    car.own = impl.hasController && impl.controller.pri == pri;
    scene.cars.push_back(std::move(car));
  }
  return scene;
}

}  // namespace sim
