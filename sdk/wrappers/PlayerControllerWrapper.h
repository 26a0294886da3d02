#pragma once

#include "ActorWrapper.h"
#include "PriWrapper.h"

class CORVANE_SDK_API PlayerControllerWrapper : public ActorWrapper {
 public:
  explicit PlayerControllerWrapper(uintptr_t mem = 0) : ActorWrapper(mem) {}
  PriWrapper GetPRI() const;
};
