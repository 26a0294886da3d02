#pragma once

// Symbols of the host's SDK library are imported by plug-ins; the plug-in base
// classes are exported from each plug-in module, as the host expects.
#if defined(_WIN32)
#ifdef CORVANE_SDK_BUILD
#define CORVANE_SDK_API __declspec(dllexport)
#else
#define CORVANE_SDK_API __declspec(dllimport)
#endif
#define CORVANE_PLUGIN_EXPORT __declspec(dllexport)
#else
#define CORVANE_SDK_API __attribute__((visibility("default")))
#define CORVANE_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif
