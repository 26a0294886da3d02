#pragma once

#include <string>

#include "ObjectWrapper.h"

class CORVANE_SDK_API UnrealStringWrapper : public ObjectWrapper {
 public:
  explicit UnrealStringWrapper(uintptr_t mem = 0) : ObjectWrapper(mem) {}
  bool IsNull() const;
  std::string ToString() const;
};
