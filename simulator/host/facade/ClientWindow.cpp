// A client's settings window and match view as its users see them: every
// call that draws, clicks or pictures the window runs on the render thread.

#include "host/facade/Faces.h"
#include "host/settings/SettingsWindow.h"

namespace sim {
namespace {

// The job on the render thread, then, on the game thread, what it handed over.
template <class Result, class Job>
Result OnRenderThreadFor(GameClient& client, Job&& job) {
  Result result{};
  client.world.OnRenderThread([&] { result = job(client.settings.Window()); });
  if (client.world.OnGameThread()) client.loop.RunHandedOver();
  return result;
}

}  // namespace

std::string Client::DrawSettings(const std::string& pluginName) {
  return OnRenderThreadFor<std::string>(pimpl->client,
                                        [&](SettingsWindow& window) { return window.Describe(pluginName); });
}

bool Client::ClickWidget(const std::string& pluginName, const std::vector<std::string>& labelPath) {
  return OnRenderThreadFor<bool>(pimpl->client,
                                 [&](SettingsWindow& window) { return window.Click(pluginName, labelPath); });
}

void Client::WithholdSettingsContext(bool withhold) { pimpl->client.settings.WithholdContext(withhold); }

std::optional<bool> Client::SettingsNodeOpen(const std::string& pluginName,
                                             const std::vector<std::string>& labelPath) {
  return OnRenderThreadFor<std::optional<bool>>(
      pimpl->client, [&](SettingsWindow& window) { return window.NodeOpen(pluginName, labelPath); });
}

std::string Client::SaveSettingsPicture(const std::filesystem::path& file, const std::string& pluginName,
                                        int scale, bool crop) {
  return OnRenderThreadFor<std::string>(pimpl->client, [&](SettingsWindow& window) {
    return window.SavePicture(pluginName, file, scale, crop);
  });
}

SettingsWindow& Client::SettingsWindowOnRenderThread() { return pimpl->client.settings.Window(); }

MatchScene Client::Scene() const { return SceneOf(pimpl->client.name, pimpl->client.match); }

}  // namespace sim
