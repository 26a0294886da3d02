// "sim network loss": the simulated network loses each message between two
// clients with a chance, drawn from a seed so that a script loses the same
// messages on every run.

#include <cstdlib>

#include "SimCommands.h"

namespace {

const char* const kSeedWord = "seed=";

double PercentArgument(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(value >= 0) || value > 100)
    throw SimError("the loss must be a percentage from 0 to 100, not \"" + text + "\"");
  return value;
}

uint64_t SeedArgument(const std::string& word) {
  const std::string text = word.substr(std::string(kSeedWord).size());
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (word.rfind(kSeedWord, 0) != 0 || text.empty() || text[0] == '-' || *end != '\0')
    throw SimError("the seed must be seed=N, N a whole number, not \"" + word + "\"");
  return value;
}

void Network(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 2, 3);
  if (args[1] != "loss") throw SimError("usage: sim " + SimCommands().at("network").usage);
  context.sim.SetNetworkLoss(PercentArgument(args[2]), args.size() > 3 ? SeedArgument(args[3]) : 1);
}

const SimCommandRegistrar kNetworkCommand({"network", "network loss PERCENT [seed=N]",
                                           "each message between two clients is lost with that chance "
                                           "(0 to 100), drawn from the seed (default 1): the same seed "
                                           "loses the same messages",
                                           Network});

}  // namespace
