#pragma once

#include <istream>

#include "SimCommands.h"

// An interactive session: reads one line at a time after a prompt that names
// the current client, runs it, and prints at once the console lines it caused.
// With editing, lines are read with line editing and kept in a history
// (libedit, when the build found it); otherwise they are read plainly from
// input. Ends at the end of input or with "sim quit".
void RunInteractive(SimContext& context, std::istream& input, bool editing);
