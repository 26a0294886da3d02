#include "host/world/GameObjects.h"

#include <mutex>
#include <unordered_map>

namespace sim {
namespace {

// Object addresses: kFirstAddress, then every kAddressStep bytes, in the order
// objects are made (ObjectLookupCache::Slot counts on the step). They lie far from zero, so that a made-up
// small number (1, say) is never one of them.
constexpr uintptr_t kFirstAddress = 0x40000000;
constexpr uintptr_t kAddressStep = 0x10;

struct Registry {
  std::mutex mutex;
  std::unordered_map<uintptr_t, SimObject*> objects;
  uint64_t handedOut = 0;  // addresses handed out so far
  size_t unknownLookups = 0;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry();  // never destroyed: objects may outlive static clean-up
  return *registry;
}

// Hands the object the next address and registers it there.
uintptr_t Register(SimObject* object) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  const uintptr_t address = kFirstAddress + static_cast<uintptr_t>(registry.handedOut++) * kAddressStep;
  registry.objects[address] = object;
  return address;
}

bool WasHandedOut(const Registry& registry, uintptr_t address) {
  if (address < kFirstAddress || (address - kFirstAddress) % kAddressStep != 0) return false;
  return (address - kFirstAddress) / kAddressStep < registry.handedOut;
}

}  // namespace

std::atomic<uint64_t> objectGeneration{1};
ObjectLookupCache objectLookupCache;

const char* KindName(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::GameEvent:
      return "game event";
    case ObjectKind::Playlist:
      return "playlist";
    case ObjectKind::CarArray:
      return "car array";
    case ObjectKind::PriArray:
      return "player entry array";
    case ObjectKind::Pri:
      return "player entry";
    case ObjectKind::Car:
      return "car";
    case ObjectKind::Controller:
      return "player controller";
    case ObjectKind::String:
      return "string";
  }
  return "object";
}

SimObject::SimObject(ObjectKind objectKind) : kind(objectKind), address(Register(this)) {}

SimObject::~SimObject() {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.objects.erase(address);
  objectGeneration.fetch_add(1, std::memory_order_release);
}

// Under the registry's lock, as every change of the registry and of
// objectGeneration: entries are cleared before the cache takes a new
// generation, and an entry is only written for an object live in it.
SimObject* FindObjectSlow(uintptr_t address) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  ObjectLookupCache& cache = objectLookupCache;
  const uint64_t generation = objectGeneration.load(std::memory_order_relaxed);
  if (cache.generation.load(std::memory_order_relaxed) != generation) {
    for (std::atomic<SimObject*>& entry : cache.entries) entry.store(nullptr, std::memory_order_relaxed);
    cache.generation.store(generation, std::memory_order_release);
  }
  auto found = registry.objects.find(address);
  if (found == registry.objects.end()) {
    ++registry.unknownLookups;
    return nullptr;
  }
  cache.Slot(address).store(found->second, std::memory_order_relaxed);
  return found->second;
}

size_t UnknownObjectLookups() {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  return registry.unknownLookups;
}

AddressState StateOfAddress(uintptr_t address) {
  if (address == 0) return AddressState::Null;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  if (registry.objects.count(address)) return AddressState::Live;
  return WasHandedOut(registry, address) ? AddressState::Destroyed : AddressState::NeverHandedOut;
}

}  // namespace sim
