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
    client.Log(cvar.name + " = \"" + cvar.value + "\"");
  } else {
    client.SetCvarValue(cvar, Unquoted(value));
  }
}

}  // namespace

void Client::Impl::Log(std::string line) { console.push_back(std::move(line)); }

void Client::Impl::ExecuteCommand(const std::string& line) {
  const std::string command = TrimSpace(line);
  if (command.empty()) return;
  commandHistory.push_back(command);
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

}  // namespace sim
