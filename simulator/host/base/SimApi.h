#pragma once

// What the host library exports for the simulator's own users only (tests,
// tools and the simulated peers), apart from CORVANE_SDK_API, which marks what
// implements the SDK that plug-ins see.

#if defined(_WIN32)
#ifdef CORVANE_SDK_BUILD
#define CORVANE_SIM_API __declspec(dllexport)
#else
#define CORVANE_SIM_API __declspec(dllimport)
#endif
#else
#define CORVANE_SIM_API __attribute__((visibility("default")))
#endif
