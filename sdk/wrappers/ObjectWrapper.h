#pragma once

#include <cstdint>

#include "../SdkApi.h"

// Wrappers are value objects around the address of a host or game object.
// Address zero means "no object".
class CORVANE_SDK_API ObjectWrapper {
 public:
  explicit ObjectWrapper(uintptr_t mem = 0) : memory_address(mem) {}
  uintptr_t memory_address;
};
