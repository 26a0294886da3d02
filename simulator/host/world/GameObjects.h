#pragma once

// Host-side game objects. Every object a wrapper can point at derives from
// SimObject and gets an address of its own while it lives. Addresses are not
// heap pointers: they are handed out in order and never again in the same
// process, so an address tells whether it ever held an object, and a wrapper
// built from a stale address finds that its object was destroyed instead of
// reaching another object that now lives at the same place in memory.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

enum class ObjectKind { GameEvent, Playlist, CarArray, PriArray, Pri, Car, Controller, String };

// How the host names a kind in its reports, e.g. "player entry".
const char* KindName(ObjectKind kind);

struct SimObject {
  explicit SimObject(ObjectKind kind);
  virtual ~SimObject();
  SimObject(const SimObject&) = delete;
  SimObject& operator=(const SimObject&) = delete;

  uintptr_t Address() const { return address; }

  const ObjectKind kind;

 private:
  const uintptr_t address;
};

// Wrapper calls come in bursts over the same few objects (a pass walks the
// roster and its cars on every physics tick), so the latest hits are kept,
// valid while no object has been destroyed since. One cache for the whole
// process: the registry's lock orders every write to it, and reads need no
// lock. (A thread-local cache would cost a call on every access in a shared
// library, or, in the initial-exec model, keep programs from loading the host
// library with dlopen.)
struct ObjectLookupCache {
  std::atomic<uint64_t> generation{0};  // objectGeneration when the entries were filled
  std::atomic<SimObject*> entries[256] = {};

  // Addresses follow each other 16 bytes apart in the order objects are made,
  // so the objects of a match, made together, fall into slots of their own.
  std::atomic<SimObject*>& Slot(uintptr_t address) { return entries[(address >> 4) & 255]; }
};

// Bumped whenever an object goes away.
extern std::atomic<uint64_t> objectGeneration;
extern ObjectLookupCache objectLookupCache;

// The registry look-up behind FindObject; fills the cache on a hit.
SimObject* FindObjectSlow(uintptr_t address);

// The live object at an address, or nullptr (0, an address never handed out,
// or one whose object was destroyed). An entry of the cache is an object live
// when the cache took its generation, so it still lives while the generations
// agree.
inline SimObject* FindObject(uintptr_t address) {
  if (address == 0) return nullptr;
  ObjectLookupCache& cache = objectLookupCache;
  if (cache.generation.load(std::memory_order_acquire) == objectGeneration.load(std::memory_order_acquire)) {
    SimObject* cached = cache.Slot(address).load(std::memory_order_relaxed);
    if (cached && cached->Address() == address) return cached;
  }
  return FindObjectSlow(address);
}
// Number of non-zero addresses asked for that held no live object.
size_t UnknownObjectLookups();

// What an address holds, for a report of a call on it.
enum class AddressState { Null, Live, Destroyed, NeverHandedOut };
AddressState StateOfAddress(uintptr_t address);

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
  std::optional<std::string> ownerName;  // when it differs from the owner entry's name
};

struct PriObject : ActorObject {
  static constexpr ObjectKind kKind = ObjectKind::Pri;
  PriObject() : ActorObject(kKind) {}
  int playerId = 0;
  StringObject name;
  bool spectator = false;
  int shortcut = 0;
  CarObject* car = nullptr;
  // While car is null: the address of a destroyed car the entry still hands
  // out (Client::DestroyCarKeepingItsAddress), otherwise 0.
  uintptr_t deadCar = 0;
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
  bool hasPlaylist = true;
  bool hasCarArray = true;
  bool hasPlayerArray = true;
};

// The local player controller of one client. The client keeps team and pri
// up to date whenever the match, the controlled player or the viewer team change.
struct ControllerObject : ActorObject {
  static constexpr ObjectKind kKind = ObjectKind::Controller;
  ControllerObject() : ActorObject(kKind) {}
  PriObject* pri = nullptr;  // this client's replica of the controlled player, if any
};

}  // namespace sim
