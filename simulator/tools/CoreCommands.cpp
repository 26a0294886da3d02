// The simulator's core commands: clients, matches, players, time, and what a
// client shows.

#include <iomanip>
#include <optional>
#include <utility>

#include "SimCommands.h"
#include "pluginsdk.h"

namespace {

// Applies key=value words (team, shortcut, spectator, car, carteam, owner) to a player.
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
      setup.spectator = YesNoArgument(value, key + "=");
    } else if (key == "car") {
      setup.hasCar = YesNoArgument(value, key + "=");
    } else if (key == "carteam" && value == "same") {
      setup.carTeam.reset();
    } else if (key == "carteam") {
      setup.carTeam = IntArgument(value, "carteam");
      if (*setup.carTeam < 0 || *setup.carTeam > 255) throw SimError("carteam is 0 to 255");
    } else if (key == "owner" && equals != std::string::npos) {
      setup.carOwnerName = value == "same" ? std::nullopt : std::optional<std::string>(value);
    } else {
      throw SimError("unknown player setting \"" + args[i] +
                     "\" (team=, shortcut=, spectator=, car=, carteam=, owner=)");
    }
  }
}

// The players of a match that share a name with the given one, itself included.
std::vector<sim::Player*> SameNamed(sim::Match& match, const std::string& name) {
  std::vector<sim::Player*> same;
  for (sim::Player* player : match.Players()) {
    if (player->setup.name == name) same.push_back(player);
  }
  return same;
}

sim::NetcodeAvailability AvailabilityNamed(const std::string& name) {
  if (name == "loaded") return sim::NetcodeAvailability::Loaded;
  if (name == "present") return sim::NetcodeAvailability::Present;
  if (name == "installable") return sim::NetcodeAvailability::Installable;
  if (name == "unavailable") return sim::NetcodeAvailability::Unavailable;
  throw SimError("NetcodePlugin availability is loaded, present, installable or unavailable, not \"" + name +
                 "\"");
}

// The module installed as a client's NetcodePlugin file, by variant name.
std::string NetcodeModuleNamed(const std::string& variant) {
  static const std::pair<const char*, const char*> kVariants[] = {
      {"standard", "NetcodePlugin"},
      {"wrong-case", "NetcodePluginWrongCase"},
      {"longer-name", "NetcodePluginLongerName"},
      {"no-level", "NetcodePluginNoLevel"},
      {"no-in", "NetcodePluginNoIn"},
      {"no-out", "NetcodePluginNoOut"},
  };
  for (const auto& [name, module] : kVariants) {
    if (variant == name) return module;
  }
  throw SimError(
      "NetcodePlugin variant is standard, wrong-case, longer-name, no-level, no-in or no-out, not \"" +
      variant + "\"");
}

// sim client NAME [AVAILABILITY] [netcode=VARIANT], in any order after the name.
void Client(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 3);
  if (context.sim.FindClient(args[1])) throw SimError("client \"" + args[1] + "\" exists already");
  std::string availabilityWord = "loaded", module = "NetcodePlugin";
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i].rfind("netcode=", 0) == 0)
      module = NetcodeModuleNamed(args[i].substr(8));
    else
      availabilityWord = args[i];
  }
  const sim::NetcodeAvailability availability = AvailabilityNamed(availabilityWord);
  sim::Client& client = context.sim.AddClient(args[1]);
  if (!client.InstallPluginFile("Glimmerfade")) throw SimError("cannot install Glimmerfade for " + args[1]);
  client.SetNetcodeModule(module);
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
    sim::PlayerSetup setup;
    setup.name = name;
    ApplyPlayerWords(setup, args, 4);
    const int id = match.AddPlayer(setup).id;
    // Ids are printed once a name is shared, so that the script can tell the players apart.
    const std::vector<sim::Player*> same = SameNamed(match, name);
    if (same.size() > 1) {
      context.out << "player #" << id << " " << name << " added to " << match.Name() << "; players named "
                  << name << ":";
      for (const sim::Player* player : same) context.out << " #" << player->id;
      context.out << "\n";
    }
  } else if (action == "update") {
    sim::Player& player = context.PlayerNamed(match, name);
    sim::PlayerSetup setup = player.setup;
    ApplyPlayerWords(setup, args, 4);
    match.UpdatePlayer(player.id, setup);
  } else if (action == "remove") {
    RequireArguments(args, 3, 3);
    match.RemovePlayer(context.PlayerNamed(match, name).id);
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

// A name is kept and looked up again whenever the match changes, as long as
// no two players share it; #ID and @SLOT pick one player of the current match.
void Control(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  sim::Client& client = context.Current();
  const std::string& reference = args[1];
  if (reference == "none") {
    client.Control("");
    return;
  }
  if (sim::Match* match = client.CurrentMatch()) {
    const size_t named = SameNamed(*match, reference).size();
    if (named > 1 || (named == 0 && (reference[0] == '#' || reference[0] == '@'))) {
      client.ControlPlayer(context.PlayerNamed(*match, reference).id);  // throws while the name is shared
      return;
    }
  }
  client.Control(reference);
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

// "hidden", "shown" or "none", with the car's own team and owner name when they differ from the entry's.
std::string CarState(const sim::Client& client, const sim::Player& player) {
  const std::optional<bool> hidden = client.CarHidden(player.id);
  std::string state = !hidden ? "none" : *hidden ? "hidden" : "shown";
  if (hidden && player.setup.carTeam) state += " (car team " + std::to_string(*player.setup.carTeam) + ")";
  if (hidden && player.setup.carOwnerName) state += " (owner " + *player.setup.carOwnerName + ")";
  return state;
}

// A player's name, with the id when another player of the match has the same name.
std::string ShownName(sim::Match& match, const sim::Player& player) {
  if (SameNamed(match, player.setup.name).size() < 2) return player.setup.name;
  return player.setup.name + " #" + std::to_string(player.id);
}

void Cars(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 0);
  sim::Client& client = context.Current();
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
    context.out << "  " << std::setw(16) << ShownName(*match, *player) << std::setw(6) << setup.team
                << std::setw(6) << setup.shortcut << CarState(client, *player)
                << (setup.spectator ? " (spectator)" : "") << "\n";
  }
}

void ConsoleCommand(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 0);
  context.transcript.PrintConsoles();
}

// Prints a heading, so that a script's output reads in sections: console
// lines written before it come before it, as every line a command prints.
void Echo(SimContext& context, const std::vector<std::string>& args) {
  std::string text;
  for (size_t i = 1; i < args.size(); ++i) text += (i > 1 ? " " : "") + args[i];
  context.out << "\n== " << text << " ==\n";
}

const SimCommandRegistrar kCoreCommands[] = {
    SimCommandRegistrar(
        {"client", "client NAME [loaded|present|installable|unavailable] [netcode=VARIANT]",
         "new client with Glimmerfade installed; becomes current. VARIANT of its NetcodePlugin: "
         "standard, wrong-case, longer-name (listed under a look-alike class name), no-level, "
         "no-in, no-out (without that variable)",
         Client}),
    SimCommandRegistrar({"use", "use NAME", "makes another client current", Use}),
    SimCommandRegistrar({"match", "match NAME PLAYLIST", "new match", MatchCommand}),
    SimCommandRegistrar(
        {"playlist", "playlist MATCH PLAYLIST", "changes a match's playlist", PlaylistCommand}),
    SimCommandRegistrar(
        {"player",
         "player add|update|remove MATCH PLAYER [team=N] [shortcut=N] [spectator=yes|no] "
         "[car=yes|no] [carteam=N|same] [owner=NAME|same]",
         "player entries (defaults: team 0, shortcut 0, no spectator, a car of the player's team "
         "and name). PLAYER: a name, or #ID or @SLOT when names are shared",
         PlayerCommand}),
    SimCommandRegistrar({"run", "run MATCH", "current client hosts the match", Run}),
    SimCommandRegistrar({"join", "join MATCH", "current client joins the match online", Join}),
    SimCommandRegistrar({"leave", "leave", "current client leaves its match", Leave}),
    SimCommandRegistrar({"control", "control PLAYER|none",
                         "current client controls that player (or one with no entry)", Control}),
    SimCommandRegistrar(
        {"nocontroller", "nocontroller", "current client has no player controller", NoController}),
    SimCommandRegistrar(
        {"viewer-team", "viewer-team N", "overrides the controller's team number", ViewerTeam}),
    SimCommandRegistrar({"tick", "tick [N]", "N physics ticks of 1/120 s (default 1)", Tick}),
    SimCommandRegistrar({"wait", "wait SECONDS", "ticks covering the time", Wait}),
    SimCommandRegistrar({"delay", "delay install|network SECONDS", "sets a simulated delay", Delay}),
    SimCommandRegistrar({"cars", "cars", "table of the current client's cars", Cars}),
    SimCommandRegistrar(
        {"console", "console", "prints every client's console lines not printed yet", ConsoleCommand}),
    SimCommandRegistrar({"echo", "echo TEXT", "prints TEXT as a heading", Echo}),
};

}  // namespace
