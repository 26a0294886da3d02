#pragma once

// Points a loaded module's import of the C library's clock() at a function of
// the host's, so that the host decides what the module's clock() reads while
// the module's code stays as it was built.

#include <ctime>

namespace sim {

using ClockFunction = std::clock_t (*)();

// module: what OpenModule returned. Returns how many import slots now point
// at the replacement (0 when the module does not import clock()).
int RedirectClockImport(void* module, ClockFunction replacement);

}  // namespace sim
