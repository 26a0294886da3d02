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

SimObject::SimObject(ObjectKind objectKind) : kind(objectKind) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.objects[Address()] = this;
}

SimObject::~SimObject() {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.objects.erase(Address());
}

SimObject* FindObject(uintptr_t address) {
  if (address == 0) return nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto found = registry.objects.find(address);
  if (found != registry.objects.end()) return found->second;
  ++registry.unknownLookups;
  return nullptr;
}

size_t UnknownObjectLookups() {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  return registry.unknownLookups;
}

}  // namespace sim
