// The SDK's wrappers of the host's own objects, made from an address: a
// variable handed to its on-change callbacks (the console), a plug-in's
// console and game (the plug-in modules). A wrapper is its address until a
// call is made on it; the calls are the wrappers' room's (host/wrappers/),
// which stands above the rooms that make wrappers.

#include "wrappers/CVarManagerWrapper.h"
#include "wrappers/CVarWrapper.h"
#include "wrappers/GameWrapper.h"

CVarWrapper::CVarWrapper(uintptr_t mem) : memory_address(mem) {}

CVarManagerWrapper::CVarManagerWrapper(uintptr_t mem) : memory_address(mem) {}

GameWrapper::GameWrapper(uintptr_t mem) : memory_address(mem) {}
