// The simulator's commands about NetcodePlugin's side of the bridge: a
// variable it registers late, and a message it hands on from a player.

#include <algorithm>
#include <iterator>

#include "SimCommands.h"
#include "pluginsdk.h"

namespace {

const char* const kMessageIn = "NETCODE_Message_In";

struct NetcodeVariable {
  const char* name;
  const char* defaultValue;
  const char* description;
  bool saved;
};

// As the simulated NetcodePlugin registers them (peers/NetcodePlugin.cpp).
const NetcodeVariable kVariables[] = {
    {"NETCODE_Log_Level", "1", "NetcodePlugin log level", true},
    {kMessageIn, "", "Last message received", false},
    {"NETCODE_Message_Out", "", "Message to send to the other players", false},
};

void NetcodeVar(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  const auto* variable = std::find_if(std::begin(kVariables), std::end(kVariables),
                                      [&](const NetcodeVariable& each) { return args[1] == each.name; });
  if (variable == std::end(kVariables)) throw SimError("usage: sim " + SimCommands().at("netcode-var").usage);
  sim::Client& client = context.Current();
  if (client.CvarValue(variable->name)) throw SimError(args[1] + " exists already on " + client.Name());
  client.CvarManager()->registerCvar(variable->name, variable->defaultValue, variable->description, true,
                                     false, 0.0f, false, 0.0f, variable->saved);
}

// "[CLASS]CONTENT" from PLAYER becomes "[CLASS][ADDRESS]CONTENT", ADDRESS being
// this client's own replica of PLAYER's entry, as NetcodePlugin hands it on.
void Incoming(SimContext& context, const std::vector<std::string>& args) {
  if (args.size() < 3) throw SimError("usage: sim " + SimCommands().at("incoming").usage);
  sim::Client& client = context.Current();
  uintptr_t sender = 0;
  if (args[1] != "none") {
    sim::Match* match = client.CurrentMatch();
    if (!match) throw SimError(client.Name() + " is not in a match");
    sender = client.PriAddress(context.PlayerNamed(*match, args[1]).id);
  }
  std::string sent = args[2];
  for (size_t i = 3; i < args.size(); ++i) sent += " " + args[i];
  const size_t close = sent.find(']');
  if (sent[0] != '[' || close == std::string::npos)
    throw SimError("NetcodePlugin carries only \"[CLASS]CONTENT\", not \"" + sent + "\"");
  const std::string incoming =
      sent.substr(0, close) + "][" + std::to_string(sender) + "]" + sent.substr(close + 1);
  if (!client.SetCvar(kMessageIn, incoming))
    throw SimError(client.Name() + " has no " + std::string(kMessageIn));
}

const SimCommandRegistrar kNetcodeCommands[] = {
    SimCommandRegistrar({"netcode-var",
                         "netcode-var NETCODE_Log_Level|NETCODE_Message_In|NETCODE_Message_Out",
                         "registers that variable of NetcodePlugin's on the current client now, as a "
                         "NetcodePlugin that makes it late would; NetcodePlugin writes what it receives into "
                         "NETCODE_Message_In from then on",
                         NetcodeVar}),
    SimCommandRegistrar(
        {"incoming", "incoming PLAYER|none [CLASS]CONTENT",
         "the current client's NetcodePlugin hands on a message from PLAYER: "
         "[CLASS][ADDRESS]CONTENT goes into NETCODE_Message_In, ADDRESS being this client's "
         "replica of PLAYER's entry (0 for none); CONTENT's words are joined by single spaces",
         Incoming}),
};

}  // namespace
