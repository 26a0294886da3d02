#pragma once

// ClientSettings: one client's settings window, made on the render thread on
// first use and dropped there, and whether its pages get the window's Dear
// ImGui context yet. The window draws the pages of the client's plug-ins
// through Plugins::Guarded and writes what goes wrong on the client's
// console. The client composes it; only the render thread (a job handed to
// it, or a free-running frame) reaches the window.

#include <atomic>
#include <memory>
#include <string>

#include "host/console/Console.h"
#include "host/modules/Plugins.h"

namespace sim {

class SettingsWindow;

class ClientSettings {
 public:
  ClientSettings(World& ofWorld, Console& clientConsole, Plugins& clientPlugins,
                 const std::string& clientName)
      : world(ofWorld), console(clientConsole), plugins(clientPlugins), name(clientName) {}
  ClientSettings(const ClientSettings&) = delete;
  ClientSettings& operator=(const ClientSettings&) = delete;

  // Render thread only.
  SettingsWindow& Window();
  void DropWindow();

  // Pages are drawn without first handing the context to plug-ins that have not had it.
  void WithholdContext(bool withhold) { contextWithheld = withhold; }
  bool ContextWithheld() const { return contextWithheld; }

  // What the window draws with.
  World& world;
  Console& console;
  Plugins& plugins;
  const std::string& name;

 private:
  std::shared_ptr<SettingsWindow> window;
  std::atomic<bool> contextWithheld{false};
};

}  // namespace sim
