// The client's settings window, on the render thread.

#include "host/settings/ClientSettings.h"

#include "host/settings/SettingsWindow.h"

namespace sim {

SettingsWindow& ClientSettings::Window() {
  if (!window) window = std::make_shared<SettingsWindow>(*this);
  return *window;
}

void ClientSettings::DropWindow() { window.reset(); }

}  // namespace sim
