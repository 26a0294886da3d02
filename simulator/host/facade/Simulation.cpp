// The simulation as its users see it: its clients, matches and clock, the
// network between its clients, its render thread and its pictures of match views.

#include <algorithm>
#include <cmath>
#include <system_error>
#include <utility>

#include "host/facade/Faces.h"
#include "host/pictures/MatchViewPicture.h"
#include "host/world/GameObjects.h"
#include "host/world/ProcessorClock.h"
#include "host/wrappers/ObjectFaults.h"

namespace sim {

Match* Simulation::Impl::FaceOf(const WorldMatch* match) const {
  for (const auto& face : matchFaces) {
    if (&face->pimpl->match == match) return face.get();
  }
  return nullptr;
}

Simulation::Simulation(std::filesystem::path root, std::filesystem::path moduleDir)
    : pimpl(std::make_unique<Impl>(std::move(root), std::move(moduleDir))) {
  std::error_code error;
  std::filesystem::create_directories(pimpl->world.root, error);
}

Simulation::~Simulation() {
  // The render thread first, with the settings windows it alone may touch;
  // then the clients, newest first: their plug-ins unload while the matches
  // still exist.
  pimpl->clients.EndRenderThread();
  pimpl->clientFaces.clear();
  pimpl->clients.Clear();
  pimpl->matchFaces.clear();
  pimpl->world.matches.clear();
  StopFollowing(pimpl->world);
}

Client& Simulation::AddClient(const std::string& name) {
  if (Client* existing = FindClient(name)) return *existing;
  GameClient& client = pimpl->clients.Add(name);
  auto face = std::make_unique<Client>(std::make_unique<Client::Impl>(Client::Impl{*pimpl, client}));
  HostLock lock(pimpl->world.mutex);
  pimpl->clientFaces.push_back(std::move(face));
  return *pimpl->clientFaces.back();
}

Client* Simulation::FindClient(const std::string& name) {
  for (Client* client : Clients()) {
    if (client->Name() == name) return client;
  }
  return nullptr;
}

std::vector<Client*> Simulation::Clients() {
  HostLock lock(pimpl->world.mutex);
  std::vector<Client*> result;
  for (const auto& face : pimpl->clientFaces) result.push_back(face.get());
  return result;
}

// Under one lock, so that no client writes a line between two clients' walks.
std::vector<ConsoleLine> Simulation::ConsoleLinesFrom(uint64_t order) const {
  std::vector<ConsoleLine> lines;
  {
    HostLock lock(pimpl->world.mutex);
    std::vector<NumberedLine> clientLines;
    for (const auto& face : pimpl->clientFaces) {
      clientLines.clear();
      face->pimpl->client.console.AddLinesFrom(order, clientLines);
      for (NumberedLine& line : clientLines) lines.push_back({face.get(), line.order, std::move(line.text)});
    }
  }
  std::sort(lines.begin(), lines.end(),
            [](const ConsoleLine& a, const ConsoleLine& b) { return a.order < b.order; });
  return lines;
}

Match& Simulation::CreateMatch(const std::string& name, int playlistId) {
  if (Match* existing = FindMatch(name)) return *existing;
  WorldMatch& match = pimpl->world.CreateMatch(name, playlistId);
  pimpl->matchFaces.push_back(std::make_unique<Match>(std::make_unique<Match::Impl>(Match::Impl{match})));
  return *pimpl->matchFaces.back();
}

Match* Simulation::FindMatch(const std::string& name) { return pimpl->FaceOf(pimpl->world.FindMatch(name)); }

double Simulation::Now() const { return pimpl->world.Now(); }

void Simulation::Tick(int count) {
  for (int i = 0; i < count; ++i) pimpl->clients.Tick();
}

void Simulation::AdvanceSeconds(double seconds) {
  if (!(seconds > 0)) return;
  Tick(static_cast<int>(std::ceil(seconds / World::kTickSeconds - 1e-6)));
}

void Simulation::RunPending() { pimpl->clients.RunPending(); }

std::filesystem::path Simulation::ModuleDir() const { return pimpl->world.moduleDir; }

void Simulation::SetInstallDelay(double seconds) { pimpl->world.installDelay = seconds > 0 ? seconds : 0; }

void Simulation::SetNetworkDelay(double seconds) {
  HostLock lock(pimpl->world.mutex);
  pimpl->world.networkDelay = seconds > 0 ? seconds : 0;
}

void Simulation::SetNetworkLoss(double percent, uint64_t seed) {
  HostLock lock(pimpl->world.mutex);
  pimpl->world.networkLoss.percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  pimpl->world.networkLoss.seed = seed;
}

uint64_t Simulation::MessagesSent() const {
  HostLock lock(pimpl->world.mutex);
  return pimpl->world.messagesSent;
}

double Simulation::NetworkDelay() const {
  HostLock lock(pimpl->world.mutex);
  return pimpl->world.networkDelay;
}

void Simulation::UseSimulatedProcessorClock(bool simulated) {
  if (simulated)
    FollowSimulation(pimpl->world);
  else
    StopFollowing(pimpl->world);
}

size_t Simulation::UnknownObjectLookups() { return sim::UnknownObjectLookups(); }

size_t Simulation::UnattributedFaults() { return sim::UnattributedFaults(); }

void Simulation::SetRenderFreeRunning(bool free, double framesPerSecond) {
  if (!free && !RenderFreeRunning()) return;
  GameClients& clients = pimpl->clients;
  pimpl->world.Render().FreeRun(
      free ? std::function<void()>([&clients] { clients.DrawFreeFrame(); }) : std::function<void()>(),
      framesPerSecond);
}

bool Simulation::RenderFreeRunning() const {
  std::lock_guard<std::mutex> making(pimpl->world.renderMaking);
  return pimpl->world.render && pimpl->world.render->FreeRunning();
}

uint64_t Simulation::FreeRunningFrames() const {
  std::lock_guard<std::mutex> making(pimpl->world.renderMaking);
  return pimpl->world.render ? pimpl->world.render->FreeFramesDrawn() : 0;
}

void Simulation::OnRenderThread(const std::function<void()>& job) { pimpl->world.OnRenderThread(job); }

std::string Simulation::SaveMatchViewPicture(const std::vector<MatchScene>& scenes,
                                             const std::filesystem::path& file, int scale) {
  std::string error;
  OnRenderThread([&] { error = sim::SaveMatchViewPicture(scenes, file, scale); });
  return error;
}

}  // namespace sim
