#pragma once

// Everything a plug-in needs from the host's SDK.
#include "CorvanePlugin.h"
#include "GameEvents.h"
#include "PluginDescriptor.h"
#include "wrappers/ActorWrapper.h"
#include "wrappers/ArrayWrapper.h"
#include "wrappers/CVarManagerWrapper.h"
#include "wrappers/CVarWrapper.h"
#include "wrappers/CarWrapper.h"
#include "wrappers/GameEventWrapper.h"
#include "wrappers/GameWrapper.h"
#include "wrappers/PlayerControllerWrapper.h"
#include "wrappers/PluginManagerWrapper.h"
#include "wrappers/PriWrapper.h"
#include "wrappers/UnrealStringWrapper.h"
