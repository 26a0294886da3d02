// The simulator's game-world commands beyond the core ones: world objects (and
// the plug-in manager) the game hands out as null, single vehicle-input
// events, and a match's players with their ids.

#include "SimCommands.h"

namespace {

sim::WorldObject WorldObjectNamed(const std::string& name) {
  if (name == "online-game") return sim::WorldObject::OnlineGame;
  if (name == "game-event") return sim::WorldObject::GameEvent;
  if (name == "playlist") return sim::WorldObject::Playlist;
  if (name == "cars") return sim::WorldObject::CarArray;
  if (name == "players") return sim::WorldObject::PlayerArray;
  if (name == "plugin-manager") return sim::WorldObject::PluginManager;
  throw SimError("usage: sim " + SimCommands().at("null").usage);
}

void Null(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 2);
  sim::Client& client = context.Current();
  if (args[1] == "none") {
    RequireArguments(args, 1, 1);
    for (sim::WorldObject object :
         {sim::WorldObject::OnlineGame, sim::WorldObject::GameEvent, sim::WorldObject::Playlist,
          sim::WorldObject::CarArray, sim::WorldObject::PlayerArray, sim::WorldObject::PluginManager})
      client.SetNullObject(object, false);
    return;
  }
  const sim::WorldObject object = WorldObjectNamed(args[1]);
  client.SetNullObject(object, args.size() > 2 ? YesNoArgument(args[2], "sim null " + args[1]) : true);
}

// The event is raised once, whichever car's input it stands for: every hook of
// it runs once. PLAYER must have a car in the client's match.
void Event(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 1);
  sim::Client& client = context.Current();
  if (args.size() > 1) {
    sim::Match* match = client.CurrentMatch();
    if (!match) throw SimError(client.Name() + " is not in a match");
    const sim::Player& player = context.PlayerNamed(*match, args[1]);
    if (!client.CarHidden(player.id)) throw SimError(args[1] + " has no car in " + match->Name());
  }
  client.RaiseVehicleInput();
}

void Players(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  sim::Match& match = context.MatchNamed(args[1]);
  context.out << "players of " << match.Name() << " (playlist " << match.PlaylistId() << "):\n";
  if (match.Players().empty()) context.out << "  none\n";
  for (const sim::Player* player : match.Players()) {
    const sim::PlayerSetup& setup = player->setup;
    context.out << "  #" << player->id << " " << setup.name << ": team " << setup.team << ", shortcut "
                << setup.shortcut << (setup.spectator ? ", spectator" : "")
                << (setup.hasCar ? "" : ", no car");
    if (setup.hasCar && setup.carTeam) context.out << ", car team " << *setup.carTeam;
    if (setup.hasCar && setup.carOwnerName) context.out << ", car owner " << *setup.carOwnerName;
    context.out << "\n";
  }
}

const SimCommandRegistrar kWorldCommands[] = {
    SimCommandRegistrar(
        {"null", "null online-game|game-event|playlist|cars|players|plugin-manager [yes|no] | null none",
         "the current client's game hands out that object as null (yes, the default) or as it "
         "is (no), a world object while the client is in a match, the plug-in manager at any "
         "time; none: every object as it is",
         Null}),
    SimCommandRegistrar({"event", "event [PLAYER]",
                         "raises the vehicle-input event once on the current client, as PLAYER's car would "
                         "(any car when left out)",
                         Event}),
    SimCommandRegistrar({"players", "players MATCH", "lists a match's players with their ids", Players}),
};

}  // namespace
