#include "host/GameObjects.h"

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
__attribute__((tls_model("initial-exec"))) thread_local ObjectLookupCache objectLookupCache;

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

SimObject* FindObjectSlow(uintptr_t address) {
  ObjectLookupCache& cache = objectLookupCache;
  const uint64_t generation = objectGeneration.load(std::memory_order_acquire);
  if (cache.generation != generation) {
    for (ObjectLookupCache::Entry& entry : cache.entries) entry = {};
    cache.generation = generation;
  }
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto found = registry.objects.find(address);
  if (found == registry.objects.end()) {
    ++registry.unknownLookups;
    return nullptr;
  }
  cache.Slot(address) = {address, found->second};
  return found->second;
}

size_t UnknownObjectLookups() {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  return registry.unknownLookups;
}

}  // namespace sim
