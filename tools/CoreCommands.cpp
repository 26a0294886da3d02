// The simulator's core commands: clients, matches, players, time, and what a
// client shows.

#include <iomanip>

#include "SimCommands.h"
#include "pluginsdk.h"

namespace {

sim::NetcodeAvailability AvailabilityNamed(const std::string& name) {
  if (name == "loaded") return sim::NetcodeAvailability::Loaded;
  if (name == "present") return sim::NetcodeAvailability::Present;
  if (name == "installable") return sim::NetcodeAvailability::Installable;
  if (name == "unavailable") return sim::NetcodeAvailability::Unavailable;
  throw SimError("NetcodePlugin availability is loaded, present, installable or unavailable, not \"" + name +
                 "\"");
}

bool YesNo(const std::string& value, const std::string& key) {
  if (value == "yes") return true;
  if (value == "no") return false;
  throw SimError(key + "= takes yes or no, not \"" + value + "\"");
}

// Applies key=value words (team, shortcut, spectator, car) to a player.
void ApplyPlayerWords(sim::PlayerSetup& setup, const std::vector<std::string>& args, size_t first) {
  for (size_t i = first; i < args.size(); ++i) {
    const size_t equals = args[i].find('=');
    const std::string key = args[i].substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : args[i].substr(equals + 1);
    if (key == "team") {
      setup.team = IntArgument(value, "team");
      if (setup.team < 0 || setup.team > 255) throw SimError("team is 0 to 255");
    } else if (key == "shortcut") {
      setup.shortcut = IntArgument(value, "shortcut");
    } else if (key == "spectator") {
      setup.spectator = YesNo(value, key);
    } else if (key == "car") {
      setup.hasCar = YesNo(value, key);
    } else {
      throw SimError("unknown player setting \"" + args[i] + "\" (team=, shortcut=, spectator=, car=)");
    }
  }
}

void Client(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 2);
  if (context.sim.FindClient(args[1])) throw SimError("client \"" + args[1] + "\" exists already");
  const sim::NetcodeAvailability availability = AvailabilityNamed(args.size() > 2 ? args[2] : "loaded");
  sim::Client& client = context.sim.AddClient(args[1]);
  if (!client.InstallPluginFile("Glimmerfade")) throw SimError("cannot install Glimmerfade for " + args[1]);
  client.SetNetcodeAvailability(availability);
  context.current = &client;
}

void Use(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  sim::Client* client = context.sim.FindClient(args[1]);
  if (!client) throw SimError("no client named \"" + args[1] + "\"");
  context.current = client;
}

void MatchCommand(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 2, 2);
  if (context.sim.FindMatch(args[1])) throw SimError("match \"" + args[1] + "\" exists already");
  context.sim.CreateMatch(args[1], IntArgument(args[2], "playlist"));
}

void PlaylistCommand(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 2, 2);
  context.MatchNamed(args[1]).SetPlaylistId(IntArgument(args[2], "playlist"));
}

void PlayerCommand(SimContext& context, const std::vector<std::string>& args) {
  if (args.size() < 4) RequireArguments(args, 3, 3);
  sim::Match& match = context.MatchNamed(args[2]);
  const std::string& action = args[1];
  const std::string& name = args[3];
  if (action == "add") {
    if (match.FindPlayer(name)) throw SimError("player \"" + name + "\" is in the match already");
    sim::PlayerSetup setup;
    setup.name = name;
    ApplyPlayerWords(setup, args, 4);
    match.AddPlayer(setup);
  } else if (action == "update") {
    sim::Player* player = match.FindPlayer(name);
    if (!player) throw SimError("no player \"" + name + "\" in " + args[2]);
    sim::PlayerSetup setup = player->setup;
    ApplyPlayerWords(setup, args, 4);
    match.UpdatePlayer(name, setup);
  } else if (action == "remove") {
    RequireArguments(args, 3, 3);
    if (!match.FindPlayer(name)) throw SimError("no player \"" + name + "\" in " + args[2]);
    match.RemovePlayer(name);
  } else {
    throw SimError("usage: sim " + SimCommands().at("player").usage);
  }
}

void Run(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  context.Current().RunMatch(context.MatchNamed(args[1]));
}

void Join(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  context.Current().JoinMatch(context.MatchNamed(args[1]));
}

void Leave(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 0);
  context.Current().LeaveMatch();
}

void Control(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  context.Current().Control(args[1] == "none" ? "" : args[1]);
}

void NoController(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 0);
  context.Current().SetNoController();
}

void ViewerTeam(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  context.Current().SetViewerTeam(IntArgument(args[1], "team"));
}

void Tick(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 1);
  const int ticks = args.size() > 1 ? IntArgument(args[1], "ticks") : 1;
  if (ticks < 0) throw SimError("ticks cannot be negative");
  context.sim.Tick(ticks);
}

void Wait(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  context.sim.AdvanceSeconds(SecondsArgument(args[1]));
}

void Delay(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 2, 2);
  const double seconds = SecondsArgument(args[2]);
  if (args[1] == "install") {
    context.sim.SetInstallDelay(seconds);
  } else if (args[1] == "network") {
    context.sim.SetNetworkDelay(seconds);
  } else {
    throw SimError("usage: sim " + SimCommands().at("delay").usage);
  }
}

std::string CarState(const sim::Client& client, const std::string& player) {
  const std::optional<bool> hidden = client.CarHidden(player);
  return !hidden ? "none" : *hidden ? "hidden" : "shown";
}

void Cars(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 0);
  sim::Client& client = context.Current();
  context.PrintConsole(client);
  sim::Match* match = client.CurrentMatch();
  if (!match) {
    context.out << "cars on " << client.Name() << ": not in a match\n";
    return;
  }
  PlayerControllerWrapper controller = client.Game()->GetPlayerController();
  context.out << "cars on " << client.Name() << " (" << match->Name() << ", "
              << (controller ? "viewer team " + std::to_string(controller.GetTeamNum2()) : "no controller")
              << "):\n";
  context.out << "  " << std::left << std::setw(16) << "player" << std::setw(6) << "team" << std::setw(6)
              << "slot"
              << "car\n";
  for (const sim::Player* player : match->Players()) {
    const sim::PlayerSetup& setup = player->setup;
    context.out << "  " << std::setw(16) << setup.name << std::setw(6) << setup.team << std::setw(6)
                << setup.shortcut << CarState(client, setup.name) << (setup.spectator ? " (spectator)" : "")
                << "\n";
  }
}

void ConsoleCommand(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 0);
  context.PrintConsole(context.Current());
}

// Prints a heading, so that a script's output reads in sections. Console lines
// written before it are printed first, so that they stay in their section.
void Echo(SimContext& context, const std::vector<std::string>& args) {
  for (sim::Client* client : context.sim.Clients()) context.PrintConsole(*client);
  std::string text;
  for (size_t i = 1; i < args.size(); ++i) text += (i > 1 ? " " : "") + args[i];
  context.out << "\n== " << text << " ==\n";
}

void Help(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 0);
  for (const auto& [name, command] : SimCommands())
    context.out << "  sim " << std::left << std::setw(44) << command.usage << command.help << "\n";
}

const SimCommandRegistrar kCoreCommands[] = {
    SimCommandRegistrar({"client", "client NAME [loaded|present|installable|unavailable]",
                         "new client with Glimmerfade installed; becomes current", Client}),
    SimCommandRegistrar({"use", "use NAME", "makes another client current", Use}),
    SimCommandRegistrar({"match", "match NAME PLAYLIST", "new match", MatchCommand}),
    SimCommandRegistrar(
        {"playlist", "playlist MATCH PLAYLIST", "changes a match's playlist", PlaylistCommand}),
    SimCommandRegistrar({"player",
                         "player add|update|remove MATCH NAME [team=N] [shortcut=N] [spectator=yes|no] "
                         "[car=yes|no]",
                         "player entries (defaults: team 0, shortcut 0, no spectator, a car)",
                         PlayerCommand}),
    SimCommandRegistrar({"run", "run MATCH", "current client hosts the match", Run}),
    SimCommandRegistrar({"join", "join MATCH", "current client joins the match online", Join}),
    SimCommandRegistrar({"leave", "leave", "current client leaves its match", Leave}),
    SimCommandRegistrar({"control", "control PLAYER|none", "current client controls that player", Control}),
    SimCommandRegistrar(
        {"nocontroller", "nocontroller", "current client has no player controller", NoController}),
    SimCommandRegistrar(
        {"viewer-team", "viewer-team N", "overrides the controller's team number", ViewerTeam}),
    SimCommandRegistrar({"tick", "tick [N]", "N physics ticks of 1/120 s (default 1)", Tick}),
    SimCommandRegistrar({"wait", "wait SECONDS", "ticks covering the time", Wait}),
    SimCommandRegistrar({"delay", "delay install|network SECONDS", "sets a simulated delay", Delay}),
    SimCommandRegistrar({"cars", "cars", "table of the current client's cars", Cars}),
    SimCommandRegistrar({"console", "console", "current client's new console lines", ConsoleCommand}),
    SimCommandRegistrar({"echo", "echo TEXT", "prints TEXT as a heading", Echo}),
    SimCommandRegistrar({"help", "help", "this list", Help}),
};

}  // namespace
