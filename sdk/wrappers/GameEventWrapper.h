#pragma once

#include "ActorWrapper.h"
#include "ArrayWrapper.h"
#include "CarWrapper.h"
#include "PriWrapper.h"

class CORVANE_SDK_API GameSettingPlaylistWrapper : public ObjectWrapper {
 public:
  explicit GameSettingPlaylistWrapper(uintptr_t mem = 0) : ObjectWrapper(mem) {}
  bool IsNull() const { return memory_address == 0; }
  explicit operator bool() const { return !IsNull(); }
  int GetPlaylistId() const;
};

class CORVANE_SDK_API GameEventWrapper : public ActorWrapper {
 public:
  explicit GameEventWrapper(uintptr_t mem = 0) : ActorWrapper(mem) {}
  GameSettingPlaylistWrapper GetPlaylist() const;
  ArrayWrapper<CarWrapper> GetCars() const;
  ArrayWrapper<PriWrapper> GetPRIs() const;
};

class CORVANE_SDK_API ServerWrapper : public GameEventWrapper {
 public:
  explicit ServerWrapper(uintptr_t mem = 0) : GameEventWrapper(mem) {}
};
