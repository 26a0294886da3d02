// SDK wrappers of game objects. Every call checks that its address holds a live
// object of the right kind; otherwise it does nothing and returns a default.

#include "host/world/GameObjects.h"
#include "pluginsdk.h"

namespace sim {
namespace {

const unsigned char kNoTeam = 255;

bool IsActorKind(ObjectKind kind) {
  return kind == ObjectKind::Car || kind == ObjectKind::Pri || kind == ObjectKind::GameEvent ||
         kind == ObjectKind::Controller;
}

ActorObject* ActorAt(uintptr_t address) {
  SimObject* object = FindObject(address);
  return object && IsActorKind(object->kind) ? static_cast<ActorObject*>(object) : nullptr;
}

uintptr_t AddressOf(const SimObject* object) { return object ? object->Address() : 0; }

template <class T>
struct ArrayObjectOf;
template <>
struct ArrayObjectOf<CarWrapper> {
  using type = CarArrayObject;
};
template <>
struct ArrayObjectOf<PriWrapper> {
  using type = PriArrayObject;
};

}  // namespace
}  // namespace sim

using sim::AddressOf;
using sim::ObjectAs;

bool ActorWrapper::IsNull() const { return sim::ActorAt(memory_address) == nullptr; }

unsigned char ActorWrapper::GetTeamNum2() const {
  sim::ActorObject* actor = sim::ActorAt(memory_address);
  return actor ? actor->team : sim::kNoTeam;
}

void ActorWrapper::SetHidden2(unsigned long hidden) {
  if (sim::ActorObject* actor = sim::ActorAt(memory_address)) actor->hidden = hidden != 0;
}

std::string CarWrapper::GetOwnerName() const {
  auto* car = ObjectAs<sim::CarObject>(memory_address);
  if (car && car->ownerName) return *car->ownerName;
  return car && car->owner ? car->owner->name.text : std::string();
}

UnrealStringWrapper PlayerReplicationInfoWrapper::GetPlayerName() const {
  auto* pri = ObjectAs<sim::PriObject>(memory_address);
  return UnrealStringWrapper(pri ? pri->name.Address() : 0);
}

unsigned char PlayerReplicationInfoWrapper::GetTeamNum() const {
  auto* pri = ObjectAs<sim::PriObject>(memory_address);
  return pri ? pri->team : sim::kNoTeam;
}

CarWrapper PriWrapper::GetCar() const {
  auto* pri = ObjectAs<sim::PriObject>(memory_address);
  return CarWrapper(pri ? AddressOf(pri->car) : 0);
}

int PriWrapper::GetSpectatorShortcut() const {
  auto* pri = ObjectAs<sim::PriObject>(memory_address);
  return pri ? pri->shortcut : 0;
}

bool PriWrapper::IsSpectator() const {
  auto* pri = ObjectAs<sim::PriObject>(memory_address);
  return pri && pri->spectator;
}

bool UnrealStringWrapper::IsNull() const { return ObjectAs<sim::StringObject>(memory_address) == nullptr; }

std::string UnrealStringWrapper::ToString() const {
  auto* text = ObjectAs<sim::StringObject>(memory_address);
  return text ? text->text : std::string();
}

int GameSettingPlaylistWrapper::GetPlaylistId() const {
  auto* playlist = ObjectAs<sim::PlaylistObject>(memory_address);
  return playlist ? playlist->id : 0;
}

GameSettingPlaylistWrapper GameEventWrapper::GetPlaylist() const {
  auto* event = ObjectAs<sim::GameEventObject>(memory_address);
  return GameSettingPlaylistWrapper(event && event->hasPlaylist ? event->playlist.Address() : 0);
}

ArrayWrapper<CarWrapper> GameEventWrapper::GetCars() const {
  auto* event = ObjectAs<sim::GameEventObject>(memory_address);
  return ArrayWrapper<CarWrapper>(event && event->hasCarArray ? event->cars.Address() : 0);
}

ArrayWrapper<PriWrapper> GameEventWrapper::GetPRIs() const {
  auto* event = ObjectAs<sim::GameEventObject>(memory_address);
  return ArrayWrapper<PriWrapper>(event ? event->pris.Address() : 0);
}

PriWrapper PlayerControllerWrapper::GetPRI() const {
  auto* controller = ObjectAs<sim::ControllerObject>(memory_address);
  return PriWrapper(controller ? AddressOf(controller->pri) : 0);
}

template <class T>
bool ArrayWrapper<T>::IsNull() const {
  return ObjectAs<typename sim::ArrayObjectOf<T>::type>(memory_address) == nullptr;
}

template <class T>
int ArrayWrapper<T>::Count() const {
  auto* array = ObjectAs<typename sim::ArrayObjectOf<T>::type>(memory_address);
  return array ? static_cast<int>(array->items.size()) : 0;
}

template <class T>
T ArrayWrapper<T>::Get(int index) const {
  auto* array = ObjectAs<typename sim::ArrayObjectOf<T>::type>(memory_address);
  if (!array || index < 0 || static_cast<size_t>(index) >= array->items.size()) return T(0);
  return T(array->items[index]->Address());
}

template class ArrayWrapper<CarWrapper>;
template class ArrayWrapper<PriWrapper>;
