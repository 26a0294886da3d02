#include "host/world/GameObjects.h"

#include <mutex>
#include <unordered_map>

namespace sim {
namespace {

struct Registry {
  std::mutex mutex;
  std::unordered_map<uintptr_t, SimObject*> objects;
  size_t unknownLookups = 0;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry();  // never destroyed: objects may outlive static clean-up
  return *registry;
}

}  // namespace

std::atomic<uint64_t> objectGeneration{1};
ObjectLookupCache objectLookupCache;

SimObject::SimObject(ObjectKind objectKind) : kind(objectKind) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.objects[Address()] = this;
}

SimObject::~SimObject() {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.objects.erase(Address());
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
    for (std::atomic<uintptr_t>& entry : cache.entries) entry.store(0, std::memory_order_relaxed);
    cache.generation.store(generation, std::memory_order_release);
  }
  auto found = registry.objects.find(address);
  if (found == registry.objects.end()) {
    ++registry.unknownLookups;
    return nullptr;
  }
  cache.Slot(address).store(address, std::memory_order_relaxed);
  return found->second;
}

size_t UnknownObjectLookups() {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  return registry.unknownLookups;
}

}  // namespace sim
