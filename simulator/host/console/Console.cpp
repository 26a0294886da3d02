// The client's console: lines, and the commands a user or a plug-in can run.

#include "host/client/ClientImpl.h"
#include "host/console/ConsoleWords.h"

namespace sim {
namespace {

void PluginCommand(Client::Impl& client, const std::string& arguments) {
  std::string pluginName;
  const std::string action = FirstWord(arguments, pluginName);
  if (action == "load" && !pluginName.empty()) {
    client.LoadPlugin(pluginName);
  } else if (action == "unload" && !pluginName.empty()) {
    client.UnloadPlugin(pluginName);
  } else if (action == "list" && pluginName.empty()) {
    // The game thread changes the list, and runs console commands: it reads the list as it is.
    if (client.plugins.empty()) client.Log("No plug-ins loaded");
    for (const auto& record : client.plugins) {
      const PluginDescriptor& info = *record->descriptor;
      client.Log(record->name + ": " + info.displayName + " " + info.versionText + " (" + info.pluginClass +
                 ")");
    }
  } else {
    client.Log("Usage: plugin load NAME | plugin unload NAME | plugin list");
  }
}

void ShowOrSetCvar(Client::Impl& client, Cvar& cvar, const std::string& value) {
  if (value.empty()) {
    client.Log(cvar.name + " = \"" + client.CvarValueOf(cvar) + "\"");
  } else {
    client.SetCvarValue(cvar, Unquoted(value));
  }
}

}  // namespace

void Client::Impl::Log(std::string line) {
  HostLock lock(sim.mutex);
  console.push_back(std::move(line));
}

void Client::Impl::ExecuteCommand(const std::string& line, bool echo) {
  if (!sim.OnGameThread()) {
    HostLock lock(sim.mutex);
    handedCommands.emplace_back(line, echo);
    commandsHanded = true;
    return;
  }
  if (echo) Log("] " + line);
  const std::string command = TrimSpace(line);
  if (command.empty()) return;
  {
    HostLock lock(sim.mutex);
    commandHistory.push_back(command);
  }
  std::string rest;
  const std::string word = FirstWord(command, rest);
  if (word == "plugin") {
    PluginCommand(*this, rest);
  } else if (word == "cpm_install") {
    if (rest.empty()) {
      Log("Usage: cpm_install ID");
    } else {
      InstallPackage(rest);
    }
  } else if (Cvar* cvar = FindCvar(word)) {
    ShowOrSetCvar(*this, *cvar, rest);
  } else {
    Log("Unknown command: " + word);
  }
}

// What other threads handed the game thread: their console commands, in
// order, and the unloads they asked for. Game thread, outside plug-in calls.
void Client::Impl::RunHandedOver() {
  while (commandsHanded) {
    std::pair<std::string, bool> command;
    {
      HostLock lock(sim.mutex);
      commandsHanded = handedCommands.size() > 1;
      if (handedCommands.empty()) break;
      command = std::move(handedCommands.front());
      handedCommands.pop_front();
    }
    ExecuteCommand(command.first, command.second);
  }
  if (busyDepth == 0 && unloadsDeferred) RunDeferredUnloads();
}

}  // namespace sim
