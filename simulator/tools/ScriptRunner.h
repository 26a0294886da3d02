#pragma once

#include <istream>
#include <string>

#include "SimCommands.h"

// Runs one line: "sim ..." is a simulator command, a "#" line a comment, any
// other line goes to the current client's console. A line that fails prints
// "error: " + where + the reason; returns false then.
bool RunLine(SimContext& context, const std::string& line, const std::string& where);

// Runs a script line by line (failures print "error: line N: REASON") until
// its end or "sim quit", then prints every client's remaining console lines.
// Returns the number of failed lines.
int RunScript(SimContext& context, std::istream& script);

// Prints every client's console lines not printed yet, in the order they were written.
void PrintConsoles(SimContext& context);

// The script run when the command gets no file.
extern const char* const kDefaultScript;
