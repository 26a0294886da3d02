// The client's console: lines, and the commands a user or a plug-in can run.

#include <cctype>

#include "host/ClientImpl.h"

namespace sim {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// Splits off the first word; rest gets the trimmed remainder.
std::string FirstWord(const std::string& text, std::string& rest) {
  size_t end = 0;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
  rest = Trim(text.substr(end));
  return text.substr(0, end);
}

// A value typed as "VALUE" loses one pair of surrounding quotes.
std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    return value.substr(1, value.size() - 2);
  return value;
}

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
  const std::string command = Trim(line);
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
