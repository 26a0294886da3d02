#pragma once

// Host-side game objects. Every object a wrapper can point at derives from
// SimObject and registers its address while it lives, so a wrapper built from
// a stale or made-up address reads defaults instead of freed memory.

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class ObjectKind { GameEvent, Playlist, CarArray, PriArray, Pri, Car, Controller, String };

struct SimObject {
  explicit SimObject(ObjectKind kind);
  virtual ~SimObject();
  SimObject(const SimObject&) = delete;
  SimObject& operator=(const SimObject&) = delete;

  uintptr_t Address() const { return reinterpret_cast<uintptr_t>(this); }

  const ObjectKind kind;
};

// The live object at an address, or nullptr (0, unknown or freed address).
SimObject* FindObject(uintptr_t address);
// Number of non-zero addresses asked for that held no live object.
size_t UnknownObjectLookups();

template <class T>
T* ObjectAs(uintptr_t address) {
  SimObject* object = FindObject(address);
  return object && object->kind == T::kKind ? static_cast<T*>(object) : nullptr;
}

struct StringObject : SimObject {
  static constexpr ObjectKind kKind = ObjectKind::String;
  StringObject() : SimObject(kKind) {}
  std::string text;
};

// Base of the objects ActorWrapper works on.
struct ActorObject : SimObject {
  using SimObject::SimObject;
  unsigned char team = 255;
  bool hidden = false;
};

struct PriObject;

struct CarObject : ActorObject {
  static constexpr ObjectKind kKind = ObjectKind::Car;
  CarObject() : ActorObject(kKind) {}
  PriObject* owner = nullptr;
};

struct PriObject : ActorObject {
  static constexpr ObjectKind kKind = ObjectKind::Pri;
  PriObject() : ActorObject(kKind) {}
  int playerId = 0;
  StringObject name;
  bool spectator = false;
  int shortcut = 0;
  CarObject* car = nullptr;
};

struct PlaylistObject : SimObject {
  static constexpr ObjectKind kKind = ObjectKind::Playlist;
  PlaylistObject() : SimObject(kKind) {}
  int id = 0;
};

struct CarArrayObject : SimObject {
  static constexpr ObjectKind kKind = ObjectKind::CarArray;
  CarArrayObject() : SimObject(kKind) {}
  std::vector<CarObject*> items;
};

struct PriArrayObject : SimObject {
  static constexpr ObjectKind kKind = ObjectKind::PriArray;
  PriArrayObject() : SimObject(kKind) {}
  std::vector<PriObject*> items;
};

struct GameEventObject : ActorObject {
  static constexpr ObjectKind kKind = ObjectKind::GameEvent;
  GameEventObject() : ActorObject(kKind) {}
  PlaylistObject playlist;
  CarArrayObject cars;
  PriArrayObject pris;
  bool hasCarArray = true;
};

// The local player controller of one client. The client keeps team and pri
// up to date whenever the match, the controlled player or the viewer team change.
struct ControllerObject : ActorObject {
  static constexpr ObjectKind kKind = ObjectKind::Controller;
  ControllerObject() : ActorObject(kKind) {}
  PriObject* pri = nullptr;  // this client's replica of the controlled player, if any
};

}  // namespace sim
