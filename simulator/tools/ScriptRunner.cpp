#include "ScriptRunner.h"

#include "ScriptWords.h"

namespace {

void RunSimCommand(SimContext& context, const std::string& rest) {
  const std::vector<std::string> args = ScriptWords(rest);
  if (args.empty()) throw SimError("a sim command is missing; try \"sim help\"");
  const auto& table = SimCommands();
  auto command = table.find(args[0]);
  if (command == table.end()) throw SimError("unknown sim command \"" + args[0] + "\"; try \"sim help\"");
  command->second.handler(context, args);
}

}  // namespace

bool RunLine(SimContext& context, const std::string& line, const std::string& where) {
  const std::string text = TrimmedScriptLine(line);
  if (text.empty() || text[0] == '#') return true;
  try {
    if (text == "sim" || text.rfind("sim ", 0) == 0) {
      RunSimCommand(context, text.substr(3));
    } else {
      context.Current().RunCommand(text);
    }
    return true;
  } catch (const std::exception& error) {
    context.out << "error: " << where << error.what() << "\n";
    return false;
  }
}

int RunScript(SimContext& context, std::istream& script) {
  int failures = 0;
  int lineNumber = 0;
  std::string line;
  while (!context.quit && std::getline(script, line)) {
    ++lineNumber;
    if (!RunLine(context, line, "line " + std::to_string(lineNumber) + ": ")) ++failures;
  }
  PrintConsoles(context);
  return failures;
}

void PrintConsoles(SimContext& context) { context.transcript.PrintConsoles(); }
