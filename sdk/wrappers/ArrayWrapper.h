#pragma once

#include "ObjectWrapper.h"

// A game array of objects. The host's library instantiates it for the element
// types below.
template <class T>
class CORVANE_SDK_API ArrayWrapper : public ObjectWrapper {
 public:
  explicit ArrayWrapper(uintptr_t mem = 0) : ObjectWrapper(mem) {}
  bool IsNull() const;
  int Count() const;
  T Get(int index) const;
};

class CarWrapper;
class PriWrapper;
extern template class ArrayWrapper<CarWrapper>;
extern template class ArrayWrapper<PriWrapper>;
