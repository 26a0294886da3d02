// The console commands that reach beyond the console ("plugin", "cpm_install"),
// and NetcodePlugin as a client has it: present, loaded or installable.

#include <system_error>

#include "host/client/GameClient.h"
#include "host/console/ConsoleWords.h"
#include "host/modules/ModuleLoader.h"

namespace sim {
namespace {

const char* const kNetcodePackageId = "166";
const char* const kNetcodePluginName = "NetcodePlugin";

}  // namespace

void GameClient::AddCommands() {
  console.AddCommand("plugin", [this](const std::string& arguments) { PluginCommand(arguments); });
  console.AddCommand("cpm_install", [this](const std::string& arguments) {
    if (arguments.empty()) {
      console.Log("Usage: cpm_install ID");
    } else {
      InstallPackage(arguments);
    }
  });
}

void GameClient::PluginCommand(const std::string& arguments) {
  std::string pluginName;
  const std::string action = FirstWord(arguments, pluginName);
  if (action == "load" && !pluginName.empty()) {
    plugins.Load(pluginName);
  } else if (action == "unload" && !pluginName.empty()) {
    plugins.Unload(pluginName);
  } else if (action == "list" && pluginName.empty()) {
    // The game thread changes the list, and runs console commands: it reads the list as it is.
    if (plugins.Records().empty()) console.Log("No plug-ins loaded");
    for (const auto& record : plugins.Records()) {
      const PluginDescriptor& info = *record->descriptor;
      console.Log(record->name + ": " + info.displayName + " " + info.versionText + " (" + info.pluginClass +
                  ")");
    }
  } else {
    console.Log("Usage: plugin load NAME | plugin unload NAME | plugin list");
  }
}

bool GameClient::InstallNetcodeFile() { return plugins.InstallFile(kNetcodePluginName, netcodeModule); }

void GameClient::ApplyNetcodeAvailability() {
  if (netcode == NetcodeAvailability::Loaded || netcode == NetcodeAvailability::Present) {
    if (InstallNetcodeFile() && netcode == NetcodeAvailability::Loaded) plugins.Load(kNetcodePluginName);
    return;
  }
  if (plugins.Find(kNetcodePluginName)) plugins.Unload(kNetcodePluginName);
  std::error_code error;
  std::filesystem::remove(dataFolder / "plugins" / ModuleFileName(kNetcodePluginName), error);
}

void GameClient::InstallPackage(const std::string& id) {
  const std::string prefix = "cpm_install " + id + ": ";
  if (id != kNetcodePackageId) {
    console.Log(prefix + "failed, unknown package");
    return;
  }
  std::error_code error;
  if (std::filesystem::exists(dataFolder / "plugins" / ModuleFileName(kNetcodePluginName), error)) {
    console.Log(prefix + "NetcodePlugin is already installed");
  } else if (netcode != NetcodeAvailability::Installable) {
    console.Log(prefix + "failed, NetcodePlugin is not available to this client");
  } else if (installPending) {
    console.Log(prefix + "NetcodePlugin is already being installed");
  } else {
    installPending = true;
    console.Log(prefix + "installing NetcodePlugin");
    loop.AddTimer(nullptr, world.installDelay, [this, prefix](GameWrapper*) {
      installPending = false;
      if (InstallNetcodeFile()) console.Log(prefix + "NetcodePlugin installed");
    });
  }
}

}  // namespace sim
