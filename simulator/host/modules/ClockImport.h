#pragma once

// Points a loaded module's import of the C library's clock() at a function of
// the host's, so that the host decides what the module's clock() reads while
// the module's code stays as it was built.

#include <ctime>
#include <string>

namespace sim {

using ClockFunction = std::clock_t (*)();

// The import slots of clock() found in a module: those that now point at the
// replacement, and those the system would not let the host write, which go
// on reading the process's own clock() (with the system's reason for the first).
struct ClockRedirection {
  int redirected = 0;
  int unwritten = 0;
  std::string reason;
};

// module: what OpenModule returned. No slot is found when the module does not
// import clock().
ClockRedirection RedirectClockImport(void* module, ClockFunction replacement);

}  // namespace sim
