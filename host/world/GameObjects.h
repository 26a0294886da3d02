#pragma once

// Host-side game objects. Every object a wrapper can point at derives from
// SimObject and registers its address while it lives, so a wrapper built from
// a stale or made-up address reads defaults instead of freed memory.

#include <atomic>
#include <cstdint>
#include <optional>
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

// Wrapper calls come in bursts over the same few objects (a pass walks the
// roster and its cars on every physics tick), so the addresses of the latest
// hits are kept, valid while no object has been destroyed since. One cache for
// the whole process: the registry's lock orders every write to it, and reads
// need no lock. (A thread-local cache would cost a call on every access in a
// shared library, or, in the initial-exec model, keep programs from loading
// the host library with dlopen.)
struct ObjectLookupCache {
  std::atomic<uint64_t> generation{0};  // objectGeneration when the entries were filled
  std::atomic<uintptr_t> entries[256] = {};

  // Fibonacci hashing spreads heap addresses, which share their low bits.
  std::atomic<uintptr_t>& Slot(uintptr_t address) { return entries[(address * 0x9E3779B97F4A7C15ull) >> 56]; }
};

// Bumped whenever an object goes away.
extern std::atomic<uint64_t> objectGeneration;
extern ObjectLookupCache objectLookupCache;

// The registry look-up behind FindObject; fills the cache on a hit.
SimObject* FindObjectSlow(uintptr_t address);

// The live object at an address, or nullptr (0, unknown or freed address). An
// object's address is the address of its SimObject part.
inline SimObject* FindObject(uintptr_t address) {
  if (address == 0) return nullptr;
  ObjectLookupCache& cache = objectLookupCache;
  if (cache.generation.load(std::memory_order_acquire) == objectGeneration.load(std::memory_order_acquire) &&
      cache.Slot(address).load(std::memory_order_relaxed) == address)
    return reinterpret_cast<SimObject*>(address);
  return FindObjectSlow(address);
}
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
};

// The local player controller of one client. The client keeps team and pri
// up to date whenever the match, the controlled player or the viewer team change.
struct ControllerObject : ActorObject {
  static constexpr ObjectKind kKind = ObjectKind::Controller;
  ControllerObject() : ActorObject(kKind) {}
  PriObject* pri = nullptr;  // this client's replica of the controlled player, if any
};

}  // namespace sim
