#include "Interactive.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "ScriptRunner.h"

#if defined(CORVANE_SIM_LINE_EDITING)
#include <editline/readline.h>
#endif

namespace {

std::string Prompt(const SimContext& context) {
  return (context.current ? context.current->Name() : std::string("corvane-sim")) + "> ";
}

// The next line typed, or nullopt at the end of input.
std::optional<std::string> ReadLine(SimContext& context, std::istream& input, bool editing) {
  context.out.flush();
#if defined(CORVANE_SIM_LINE_EDITING)
  if (editing) {
    char* typed = readline(Prompt(context).c_str());
    if (!typed) return std::nullopt;
    std::string line = typed;
    std::free(typed);
    if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
    return line;
  }
#else
  (void)editing;
#endif
  context.transcript.Prompt(Prompt(context));
  std::string line;
  if (!std::getline(input, line)) return std::nullopt;
  return line;
}

}  // namespace

void RunInteractive(SimContext& context, std::istream& input, bool editing) {
  context.out << "corvane-sim: type console lines for the current client, or sim commands (\"sim help\" "
                 "lists them); end of input or \"sim quit\" ends the session.\n";
  while (!context.quit) {
    const std::optional<std::string> line = ReadLine(context, input, editing);
    if (!line) break;
    RunLine(context, *line, "");
    PrintConsoles(context);
  }
  context.out << "\n";
}
