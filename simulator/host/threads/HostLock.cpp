#include "host/threads/HostLock.h"

#include <cstdlib>
#include <iostream>

namespace sim {

void CheckNotLockedToWait(const HostMutex& mutex, const char* wait) {
  if (!mutex.HeldByThisThread()) return;
  std::cerr << "corvane host: " << wait << " while this thread holds the host's lock\n";
  std::abort();
}

}  // namespace sim
