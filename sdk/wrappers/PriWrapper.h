#pragma once

#include "ActorWrapper.h"
#include "CarWrapper.h"
#include "UnrealStringWrapper.h"

class CORVANE_SDK_API PlayerReplicationInfoWrapper : public ActorWrapper {
 public:
  explicit PlayerReplicationInfoWrapper(uintptr_t mem = 0) : ActorWrapper(mem) {}
  UnrealStringWrapper GetPlayerName() const;
  // 255: no team.
  unsigned char GetTeamNum() const;
};

class CORVANE_SDK_API PriWrapper : public PlayerReplicationInfoWrapper {
 public:
  explicit PriWrapper(uintptr_t mem = 0) : PlayerReplicationInfoWrapper(mem) {}
  CarWrapper GetCar() const;
  int GetSpectatorShortcut() const;
  bool IsSpectator() const;
};
