// The settings windows live on the simulation's render thread: every draw,
// click and picture of a page is a job handed to it, which the asking thread
// waits for, and a free-running render thread draws every client's window on
// its own between jobs. The game thread then runs at once what the job handed
// it (a console command a page ran), so that a script reads the same as when
// everything ran on one thread.

#include "host/client/ClientImpl.h"
#include "host/settings/SettingsWindow.h"

namespace sim {
namespace {

// The job on the render thread, then, on the game thread, what it handed over.
template <class Result, class Job>
Result OnRenderThreadFor(Client::Impl& client, Job&& job) {
  Result result{};
  client.sim.OnRenderThread([&] { result = job(SettingsWindowOf(client)); });
  if (client.sim.OnGameThread()) client.RunHandedOver();
  return result;
}

}  // namespace

RenderThread& Simulation::Impl::Render() {
  std::lock_guard<std::mutex> making(renderMaking);
  if (!render) render = std::make_unique<RenderThread>();
  return *render;
}

void Simulation::Impl::OnRenderThread(const std::function<void()>& job) {
  CheckNotLockedToWait(mutex, "a job handed to the render thread");
  Render().Run(job);
}

// Every client's window once, in the order the clients were made.
void Simulation::Impl::DrawFreeFrame() {
  for (Client* client : ClientList()) SettingsWindowOf(client->Internals()).Redraw();
}

void Simulation::Impl::DrawFreeFrameAfterTick() {
  if (!CORVANE_SIM_THREADS && render) render->DrawFreeFrameNow();
}

void Simulation::Impl::EndRenderThread() {
  CheckNotLockedToWait(mutex, "the end of the render thread");
  std::unique_ptr<RenderThread> ending;
  {
    std::lock_guard<std::mutex> making(renderMaking);
    ending = std::move(render);
  }
  if (!ending) return;
  ending->FreeRun(nullptr, 0);
  ending->Run([this] {
    for (Client* client : ClientList()) client->Internals().settingsWindow.reset();
  });
}

void Simulation::SetRenderFreeRunning(bool free, double framesPerSecond) {
  Impl& simulation = *pimpl;
  if (!free && !RenderFreeRunning()) return;
  simulation.Render().FreeRun(
      free ? std::function<void()>([&simulation] { simulation.DrawFreeFrame(); }) : std::function<void()>(),
      framesPerSecond);
}

bool Simulation::RenderFreeRunning() const {
  std::lock_guard<std::mutex> making(pimpl->renderMaking);
  return pimpl->render && pimpl->render->FreeRunning();
}

uint64_t Simulation::FreeRunningFrames() const {
  std::lock_guard<std::mutex> making(pimpl->renderMaking);
  return pimpl->render ? pimpl->render->FreeFramesDrawn() : 0;
}

void Simulation::OnRenderThread(const std::function<void()>& job) { pimpl->OnRenderThread(job); }

std::string Client::DrawSettings(const std::string& pluginName) {
  return OnRenderThreadFor<std::string>(*pimpl,
                                        [&](SettingsWindow& window) { return window.Describe(pluginName); });
}

bool Client::ClickWidget(const std::string& pluginName, const std::vector<std::string>& labelPath) {
  return OnRenderThreadFor<bool>(*pimpl,
                                 [&](SettingsWindow& window) { return window.Click(pluginName, labelPath); });
}

void Client::WithholdSettingsContext(bool withhold) { pimpl->settingsContextWithheld = withhold; }

std::optional<bool> Client::SettingsNodeOpen(const std::string& pluginName,
                                             const std::vector<std::string>& labelPath) {
  return OnRenderThreadFor<std::optional<bool>>(
      *pimpl, [&](SettingsWindow& window) { return window.NodeOpen(pluginName, labelPath); });
}

std::string Client::SaveSettingsPicture(const std::filesystem::path& file, const std::string& pluginName,
                                        int scale, bool crop) {
  return OnRenderThreadFor<std::string>(
      *pimpl, [&](SettingsWindow& window) { return window.SavePicture(pluginName, file, scale, crop); });
}

}  // namespace sim
