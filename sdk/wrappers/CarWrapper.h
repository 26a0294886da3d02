#pragma once

#include <string>

#include "ActorWrapper.h"

class CORVANE_SDK_API CarWrapper : public ActorWrapper {
 public:
  explicit CarWrapper(uintptr_t mem = 0) : ActorWrapper(mem) {}
  std::string GetOwnerName() const;
};
