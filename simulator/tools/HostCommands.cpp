// The simulator's commands about the host itself: what it holds for each
// plug-in, restarting a client's game, and the NetcodePlugin file.

#include <filesystem>
#include <iomanip>
#include <sstream>
#include <system_error>

#include "SimCommands.h"

namespace {

const char* const kNetcodePlugin = "NetcodePlugin";

std::string Seconds(double value) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(3) << value << " s";
  return text.str();
}

void PrintHoldings(std::ostream& out, const sim::HostHoldings& held) {
  switch (held.owner) {
    case sim::HostHoldings::Owner::LoadedPlugin:
      out << "  " << held.plugin << ":";
      break;
    case sim::HostHoldings::Owner::Host:
      out << "  the host itself:";
      break;
    case sim::HostHoldings::Owner::UnloadedPlugin:
      out << "  plug-ins no longer loaded:";
      break;
  }
  if (held.Empty()) {
    out << " nothing\n";
    return;
  }
  out << "\n";
  for (const std::string& event : held.hooks) out << "    hook " << event << "\n";
  for (double due : held.timers) out << "    timer due at " << Seconds(due) << "\n";
  if (held.tasks > 0) out << "    game-thread tasks " << held.tasks << "\n";
  for (const std::string& cvar : held.cvarCallbacks) out << "    on-change callback of " << cvar << "\n";
  for (const std::string& cvar : held.boundInts) out << "    integer bound to " << cvar << "\n";
  for (const std::string& channel : held.netListeners) out << "    network listener on " << channel << "\n";
}

void State(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 0);
  sim::Client& client = context.Current();
  const std::vector<sim::HostHoldings> holdings = client.Holdings();
  context.out << "host state of " << client.Name() << " at " << Seconds(context.sim.Now()) << ":\n";
  if (holdings.empty()) context.out << "  no plug-in loaded, nothing held\n";
  for (const sim::HostHoldings& held : holdings) PrintHoldings(context.out, held);
}

void Restart(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 1);
  const std::string mode = args.size() > 1 ? args[1] : "kept";
  if (mode != "kept" && mode != "fresh") throw SimError("usage: sim " + SimCommands().at("restart").usage);
  sim::Client& client = context.Current();
  if (!client.Restart(mode == "kept"))
    throw SimError(client.Name() + "'s game did not start again; its console line above says why");
  if (mode == "fresh" && !client.InstallPluginFile("Glimmerfade"))
    throw SimError("cannot install Glimmerfade for " + client.Name());
  context.out << "restarted " << client.Name() << " with " << (mode == "kept" ? "its kept" : "a fresh")
              << " data folder\n";
}

// The NetcodePlugin file in the current client's plugins folder: a symbolic
// link to itself (every query of it fails), removed, or installed.
void NetcodeFile(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  sim::Client& client = context.Current();
  const std::filesystem::path file = client.PluginsFolder() / sim::ModuleFileName(kNetcodePlugin);
  std::error_code error;
  if (args[1] == "present") {
    if (!client.InstallPluginFile(kNetcodePlugin, client.NetcodeModule()))
      throw SimError("cannot install " + file.filename().string());
    return;
  }
  if (args[1] != "absent" && args[1] != "loop")
    throw SimError("usage: sim " + SimCommands().at("netcode-file").usage);
  std::filesystem::remove(file, error);
  if (error) throw SimError("cannot remove " + file.string() + ": " + error.message());
  if (args[1] == "absent") return;
  // On Linux a query of the link fails with "too many levels of symbolic
  // links". Windows gives symbolic links only to privileged users, and
  // mingw's library does not make them at all: there the command fails with
  // the reason, and such a failing query cannot be set up this way.
  std::filesystem::create_symlink(file.filename(), file, error);
  if (error) throw SimError("cannot make " + file.string() + " a link to itself: " + error.message());
}

const SimCommandRegistrar kHostCommands[] = {
    SimCommandRegistrar({"state", "state",
                         "prints what the host holds for each plug-in of the current client: "
                         "hooks, timers, game-thread tasks, on-change callbacks, bound integers, network "
                         "listeners",
                         State}),
    SimCommandRegistrar({"restart", "restart [kept|fresh]",
                         "the current client's game closes and starts again over its kept data folder (saved "
                         "settings come back at the next plug-in load) or a fresh one (none do); "
                         "Glimmerfade stays installed, NetcodePlugin as the client was made",
                         Restart}),
    SimCommandRegistrar({"netcode-file", "netcode-file loop|absent|present",
                         "the current client's plugins/NetcodePlugin file becomes a symbolic link to itself "
                         "(every file query of it fails), is removed, or is installed",
                         NetcodeFile}),
};

}  // namespace
