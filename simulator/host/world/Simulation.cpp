// The simulation: clients, matches and the clock.

#include "host/Simulation.h"

#include <cmath>
#include <system_error>

#include "host/client/ClientImpl.h"
#include "host/world/ProcessorClock.h"
#include "host/world/SimulationImpl.h"
#include "host/wrappers/ObjectFaults.h"

namespace sim {
namespace {

// Client names become folder names.
bool ValidClientName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

std::vector<Client*> Simulation::Impl::ClientList() const {
  HostLock lock(mutex);
  std::vector<Client*> result;
  for (const auto& client : clients) result.push_back(client.get());
  return result;
}

void Simulation::Impl::MatchChanged(Match& match) {
  for (Client* client : ClientList()) {
    Client::Impl& state = client->Internals();
    if (state.replica && state.replica->match == &match) state.SyncReplica();
  }
}

Simulation::Simulation(std::filesystem::path root, std::filesystem::path moduleDir)
    : pimpl(std::make_unique<Impl>()) {
  pimpl->root = std::move(root);
  pimpl->moduleDir = std::move(moduleDir);
  std::error_code error;
  std::filesystem::create_directories(pimpl->root, error);
}

Simulation::~Simulation() {
  // The render thread first, with the settings windows it alone may touch;
  // then the clients, newest first: their plug-ins unload while the matches
  // still exist.
  pimpl->EndRenderThread();
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
size_t Simulation::UnattributedFaults() { return sim::UnattributedFaults(); }

}  // namespace sim
