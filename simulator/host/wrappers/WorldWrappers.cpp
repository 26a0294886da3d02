// SDK wrappers of game objects. A wrapper is null exactly when its address is
// zero, as in the game. Every other call needs a live object of its kind at
// its address; a call on any other address is a fault (ObjectFaults.h) and
// returns a default.

#include "host/world/GameObjects.h"
#include "host/wrappers/ObjectFaults.h"
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

ActorObject* CheckedActor(uintptr_t address, const char* call) {
  ActorObject* actor = ActorAt(address);
  if (!actor) ReportMissingObject(call, address, "actor");
  return actor;
}

uintptr_t AddressOf(const SimObject* object) { return object ? object->Address() : 0; }

template <class T>
struct ArrayObjectOf;
template <>
struct ArrayObjectOf<CarWrapper> {
  using Object = CarArrayObject;
  static constexpr const char* kCount = "ArrayWrapper<CarWrapper>::Count";
  static constexpr const char* kGet = "ArrayWrapper<CarWrapper>::Get";
};
template <>
struct ArrayObjectOf<PriWrapper> {
  using Object = PriArrayObject;
  static constexpr const char* kCount = "ArrayWrapper<PriWrapper>::Count";
  static constexpr const char* kGet = "ArrayWrapper<PriWrapper>::Get";
};

}  // namespace
}  // namespace sim

using sim::AddressOf;
using sim::CheckedObject;
using sim::IsNullWrapper;

bool ActorWrapper::IsNull() const { return IsNullWrapper(memory_address, sim::ActorAt); }

unsigned char ActorWrapper::GetTeamNum2() const {
  sim::ActorObject* actor = sim::CheckedActor(memory_address, "ActorWrapper::GetTeamNum2");
  return actor ? actor->team : sim::kNoTeam;
}

void ActorWrapper::SetHidden2(unsigned long hidden) {
  if (sim::ActorObject* actor = sim::CheckedActor(memory_address, "ActorWrapper::SetHidden2"))
    actor->hidden = hidden != 0;
}

std::string CarWrapper::GetOwnerName() const {
  auto* car = CheckedObject<sim::CarObject>(memory_address, "CarWrapper::GetOwnerName");
  if (car && car->ownerName) return *car->ownerName;
  return car && car->owner ? car->owner->name.text : std::string();
}

UnrealStringWrapper PlayerReplicationInfoWrapper::GetPlayerName() const {
  auto* pri = CheckedObject<sim::PriObject>(memory_address, "PlayerReplicationInfoWrapper::GetPlayerName");
  return UnrealStringWrapper(pri ? pri->name.Address() : 0);
}

unsigned char PlayerReplicationInfoWrapper::GetTeamNum() const {
  auto* pri = CheckedObject<sim::PriObject>(memory_address, "PlayerReplicationInfoWrapper::GetTeamNum");
  return pri ? pri->team : sim::kNoTeam;
}

CarWrapper PriWrapper::GetCar() const {
  auto* pri = CheckedObject<sim::PriObject>(memory_address, "PriWrapper::GetCar");
  if (!pri) return CarWrapper(0);
  return CarWrapper(pri->car ? pri->car->Address() : pri->deadCar);
}

int PriWrapper::GetSpectatorShortcut() const {
  auto* pri = CheckedObject<sim::PriObject>(memory_address, "PriWrapper::GetSpectatorShortcut");
  return pri ? pri->shortcut : 0;
}

bool PriWrapper::IsSpectator() const {
  auto* pri = CheckedObject<sim::PriObject>(memory_address, "PriWrapper::IsSpectator");
  return pri && pri->spectator;
}

bool UnrealStringWrapper::IsNull() const {
  return IsNullWrapper(memory_address, sim::ObjectAs<sim::StringObject>);
}

std::string UnrealStringWrapper::ToString() const {
  auto* text = CheckedObject<sim::StringObject>(memory_address, "UnrealStringWrapper::ToString");
  return text ? text->text : std::string();
}

int GameSettingPlaylistWrapper::GetPlaylistId() const {
  auto* playlist =
      CheckedObject<sim::PlaylistObject>(memory_address, "GameSettingPlaylistWrapper::GetPlaylistId");
  return playlist ? playlist->id : 0;
}

GameSettingPlaylistWrapper GameEventWrapper::GetPlaylist() const {
  auto* event = CheckedObject<sim::GameEventObject>(memory_address, "GameEventWrapper::GetPlaylist");
  return GameSettingPlaylistWrapper(event && event->hasPlaylist ? event->playlist.Address() : 0);
}

ArrayWrapper<CarWrapper> GameEventWrapper::GetCars() const {
  auto* event = CheckedObject<sim::GameEventObject>(memory_address, "GameEventWrapper::GetCars");
  return ArrayWrapper<CarWrapper>(event && event->hasCarArray ? event->cars.Address() : 0);
}

ArrayWrapper<PriWrapper> GameEventWrapper::GetPRIs() const {
  auto* event = CheckedObject<sim::GameEventObject>(memory_address, "GameEventWrapper::GetPRIs");
  return ArrayWrapper<PriWrapper>(event && event->hasPlayerArray ? event->pris.Address() : 0);
}

PriWrapper PlayerControllerWrapper::GetPRI() const {
  auto* controller = CheckedObject<sim::ControllerObject>(memory_address, "PlayerControllerWrapper::GetPRI");
  return PriWrapper(controller ? AddressOf(controller->pri) : 0);
}

template <class T>
bool ArrayWrapper<T>::IsNull() const {
  return IsNullWrapper(memory_address, sim::ObjectAs<typename sim::ArrayObjectOf<T>::Object>);
}

template <class T>
int ArrayWrapper<T>::Count() const {
  using Of = sim::ArrayObjectOf<T>;
  auto* array = CheckedObject<typename Of::Object>(memory_address, Of::kCount);
  return array ? static_cast<int>(array->items.size()) : 0;
}

template <class T>
T ArrayWrapper<T>::Get(int index) const {
  using Of = sim::ArrayObjectOf<T>;
  auto* array = CheckedObject<typename Of::Object>(memory_address, Of::kGet);
  if (!array) return T(0);
  if (index < 0 || static_cast<size_t>(index) >= array->items.size()) {
    sim::ReportFault(
        Of::kGet, memory_address,
        "index " + std::to_string(index) + " beyond an array of " + std::to_string(array->items.size()));
    return T(0);
  }
  return T(array->items[index]->Address());
}

template class ArrayWrapper<CarWrapper>;
template class ArrayWrapper<PriWrapper>;
