// The simulation: its clients, matches and clock, and what walks the clients
// (ticks, the network between them, their settings windows on the render thread).

#include "host/Simulation.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "host/client/ClientImpl.h"
#include "host/settings/SettingsWindow.h"
#include "host/world/ProcessorClock.h"
#include "host/world/SimulationImpl.h"

namespace sim {
namespace {

// Client names become folder names.
bool ValidClientName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

// Brings every client that takes part in the match up to date with it.
void MatchChanged(const Simulation::Impl& simulation, Match& match) {
  for (Client* client : simulation.ClientList()) {
    ClientMatch& view = client->Internals().world;
    if (view.Current() && view.Current()->match == &match) view.Sync();
  }
}

// A free-running frame: every client's window once, in the order the clients were made.
void DrawFreeFrame(const Simulation::Impl& simulation) {
  for (Client* client : simulation.ClientList()) SettingsWindowOf(client->Internals()).Redraw();
}

// Drops every client's settings window on the render thread, then ends it.
void EndRenderThread(Simulation::Impl& simulation) {
  CheckNotLockedToWait(simulation.mutex, "the end of the render thread");
  std::unique_ptr<RenderThread> ending;
  {
    std::lock_guard<std::mutex> making(simulation.renderMaking);
    ending = std::move(simulation.render);
  }
  if (!ending) return;
  ending->FreeRun(nullptr, 0);
  ending->Run([&simulation] {
    for (Client* client : simulation.ClientList()) client->Internals().settings.DropWindow();
  });
}

// The job on the render thread, then, on the game thread, what it handed over.
template <class Result, class Job>
Result OnRenderThreadFor(Client::Impl& client, Job&& job) {
  Result result{};
  client.sim.OnRenderThread([&] { result = job(client.settings.Window()); });
  if (client.sim.OnGameThread()) client.loop.RunHandedOver();
  return result;
}

}  // namespace

SettingsWindow& SettingsWindowOf(Client::Impl& client) { return client.settings.Window(); }

// Any thread that sets a variable may send: under the lock throughout.
void Broadcast(Client::Impl& sender, const std::string& channel, const std::string& payload) {
  Simulation::Impl& simulation = sender.sim;
  HostLock lock(simulation.mutex);
  const Replica* sent = sender.world.Current();
  if (!sent) return;
  const ControllerObject* controller = sender.world.Controller();
  const int senderPlayer = controller && controller->pri ? controller->pri->playerId : 0;
  const uint64_t message = simulation.messagesSent++;
  for (size_t i = 0; i < simulation.clients.size(); ++i) {
    Client::Impl& receiver = simulation.clients[i]->Internals();
    const Replica* received = receiver.world.Current();
    if (&receiver == &sender || !received || received->match != sent->match) continue;
    if (simulation.networkLoss.Drops(message, i)) continue;
    receiver.loop.Deliver(
        NetDelivery{simulation.Now() + simulation.networkDelay, channel, senderPlayer, payload});
  }
}

Simulation::Simulation(std::filesystem::path root, std::filesystem::path moduleDir)
    : pimpl(std::make_unique<Impl>()) {
  pimpl->root = std::move(root);
  pimpl->moduleDir = std::move(moduleDir);
  pimpl->matchChanged = [simulation = pimpl.get()](Match& match) { MatchChanged(*simulation, match); };
  std::error_code error;
  std::filesystem::create_directories(pimpl->root, error);
}

Simulation::~Simulation() {
  // The render thread first, with the settings windows it alone may touch;
  // then the clients, newest first: their plug-ins unload while the matches
  // still exist.
  EndRenderThread(*pimpl);
  while (!pimpl->clients.empty()) pimpl->clients.pop_back();
  pimpl->matches.clear();
  StopFollowing(*pimpl);
}

Client& Simulation::AddClient(const std::string& name) {
  if (Client* existing = FindClient(name)) return *existing;
  const std::string folderName =
      ValidClientName(name) ? name : "client" + std::to_string(pimpl->clients.size());
  auto state = std::make_unique<Client::Impl>(*pimpl, name, pimpl->root / folderName);
  auto client = std::make_unique<Client>(std::move(state));
  HostLock lock(pimpl->mutex);  // the render thread walks the clients
  pimpl->clients.push_back(std::move(client));
  return *pimpl->clients.back();
}

Client* Simulation::FindClient(const std::string& name) {
  for (Client* client : pimpl->ClientList()) {
    if (client->Name() == name) return client;
  }
  return nullptr;
}

std::vector<Client*> Simulation::Clients() { return pimpl->ClientList(); }

// Under one lock, so that no client writes a line between two clients' walks.
std::vector<ConsoleLine> Simulation::ConsoleLinesFrom(uint64_t order) const {
  std::vector<ConsoleLine> lines;
  {
    HostLock lock(pimpl->mutex);
    for (const auto& client : pimpl->clients)
      client->Internals().console.AddLinesFrom(order, client.get(), lines);
  }
  std::sort(lines.begin(), lines.end(),
            [](const ConsoleLine& a, const ConsoleLine& b) { return a.order < b.order; });
  return lines;
}

Match& Simulation::CreateMatch(const std::string& name, int playlistId) {
  if (Match* existing = FindMatch(name)) return *existing;
  auto state = std::make_unique<Match::Impl>();
  state->sim = pimpl.get();
  state->name = name;
  state->playlistId = playlistId;
  pimpl->matches.push_back(std::make_unique<Match>(std::move(state)));
  return *pimpl->matches.back();
}

Match* Simulation::FindMatch(const std::string& name) {
  for (const auto& match : pimpl->matches) {
    if (match->Name() == name) return match.get();
  }
  return nullptr;
}

double Simulation::Now() const { return pimpl->Now(); }

// Clients are only added on the game thread, which ticks: it walks the list as it is.
void Simulation::Tick(int count) {
  for (int i = 0; i < count; ++i) {
    ++pimpl->ticks;
    // By index: a turn that adds a client (a task, say) must not end the walk.
    for (size_t c = 0; c < pimpl->clients.size(); ++c)  // NOLINT(modernize-loop-convert)
      pimpl->clients[c]->Internals().RunTurn(true);
    pimpl->DrawFreeFrameAfterTick();
  }
}

void Simulation::AdvanceSeconds(double seconds) {
  if (!(seconds > 0)) return;
  Tick(static_cast<int>(std::ceil(seconds / Impl::kTickSeconds - 1e-6)));
}

void Simulation::RunPending() {
  for (size_t c = 0; c < pimpl->clients.size(); ++c)  // NOLINT(modernize-loop-convert): as in Tick
    pimpl->clients[c]->Internals().RunTurn(false);
}

std::filesystem::path Simulation::ModuleDir() const { return pimpl->moduleDir; }

void Simulation::SetInstallDelay(double seconds) { pimpl->installDelay = seconds > 0 ? seconds : 0; }

void Simulation::SetNetworkDelay(double seconds) {
  HostLock lock(pimpl->mutex);
  pimpl->networkDelay = seconds > 0 ? seconds : 0;
}

void Simulation::SetNetworkLoss(double percent, uint64_t seed) {
  HostLock lock(pimpl->mutex);
  pimpl->networkLoss.percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  pimpl->networkLoss.seed = seed;
}

uint64_t Simulation::MessagesSent() const {
  HostLock lock(pimpl->mutex);
  return pimpl->messagesSent;
}

double Simulation::NetworkDelay() const {
  HostLock lock(pimpl->mutex);
  return pimpl->networkDelay;
}

void Simulation::UseSimulatedProcessorClock(bool simulated) {
  if (simulated)
    FollowSimulation(*pimpl);
  else
    StopFollowing(*pimpl);
}

size_t Simulation::UnknownObjectLookups() { return sim::UnknownObjectLookups(); }

void Simulation::SetRenderFreeRunning(bool free, double framesPerSecond) {
  Impl& simulation = *pimpl;
  if (!free && !RenderFreeRunning()) return;
  simulation.Render().FreeRun(
      free ? std::function<void()>([&simulation] { DrawFreeFrame(simulation); }) : std::function<void()>(),
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

void Client::WithholdSettingsContext(bool withhold) { pimpl->settings.WithholdContext(withhold); }

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
