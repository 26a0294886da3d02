// "sim strict": whether the current client's host treats a call on a dead or
// bogus game object as a fault (the default) or forgives it silently.

#include "SimCommands.h"

namespace {

void Strict(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 1);
  sim::Client& client = context.Current();
  if (args.size() > 1) {
    client.SetStrict(YesNoArgument(args[1], "sim strict"));
    return;
  }
  context.out << client.Name() << "'s host is " << (client.IsStrict() ? "strict" : "forgiving") << "\n";
}

const SimCommandRegistrar kStrictCommand({"strict", "strict [yes|no]",
                                          "whether a call of the current client's plug-in code on a game "
                                          "object that does not live (null, destroyed, never handed out, or "
                                          "of another kind) is a fault (yes, the default: a console line, "
                                          "counted, and the script fails) or is forgiven silently, such "
                                          "addresses then counting as null (no); without an argument, tells",
                                          Strict});

}  // namespace
