#pragma once

#include "ObjectWrapper.h"

// Base of all game objects in the world.
class CORVANE_SDK_API ActorWrapper : public ObjectWrapper {
 public:
  explicit ActorWrapper(uintptr_t mem = 0) : ObjectWrapper(mem) {}
  bool IsNull() const;
  explicit operator bool() const { return !IsNull(); }
  unsigned char GetTeamNum2() const;
  // 1 hides the actor on this client only, 0 shows it.
  void SetHidden2(unsigned long hidden);
};
