#pragma once

#include <istream>

#include "SimCommands.h"

// Runs a script: "sim ..." lines are simulator commands, "#" lines comments,
// other lines go to the current client's console. Prints every client's
// remaining console lines at the end. Returns the number of failed lines.
int RunScript(SimContext& context, std::istream& script);

// The script run when the command gets no file.
extern const char* const kDefaultScript;
