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
    Client::Impl& state = client->impl();
    if (state.replica && state.replica->match == &match) state.SyncReplica();
  }
}

Simulation::Simulation(std::filesystem::path root, std::filesystem::path moduleDir)
    : impl_(std::make_unique<Impl>()) {
  impl_->root = std::move(root);
  impl_->moduleDir = std::move(moduleDir);
  std::error_code error;
  std::filesystem::create_directories(impl_->root, error);
}

Simulation::~Simulation() {
  // The render thread first, with the settings windows it alone may touch;
  // then the clients, newest first: their plug-ins unload while the matches
  // still exist.
  impl_->EndRenderThread();
  while (!impl_->clients.empty()) impl_->clients.pop_back();
  impl_->matches.clear();
  StopFollowing(*impl_);
}

Client& Simulation::AddClient(const std::string& name) {
  if (Client* existing = FindClient(name)) return *existing;
  const std::string folderName =
      ValidClientName(name) ? name : "client" + std::to_string(impl_->clients.size());
  auto state = std::make_unique<Client::Impl>(*impl_, name, impl_->root / folderName);
  auto client = std::make_unique<Client>(std::move(state));
  HostLock lock(impl_->mutex);  // the render thread walks the clients
  impl_->clients.push_back(std::move(client));
  return *impl_->clients.back();
}

Client* Simulation::FindClient(const std::string& name) {
  for (Client* client : impl_->ClientList()) {
    if (client->Name() == name) return client;
  }
  return nullptr;
}

std::vector<Client*> Simulation::Clients() { return impl_->ClientList(); }

Match& Simulation::CreateMatch(const std::string& name, int playlistId) {
  if (Match* existing = FindMatch(name)) return *existing;
  auto state = std::make_unique<Match::Impl>();
  state->sim = impl_.get();
  state->name = name;
  state->playlistId = playlistId;
  impl_->matches.push_back(std::make_unique<Match>(std::move(state)));
  return *impl_->matches.back();
}

Match* Simulation::FindMatch(const std::string& name) {
  for (const auto& match : impl_->matches) {
    if (match->Name() == name) return match.get();
  }
  return nullptr;
}

double Simulation::Now() const { return impl_->Now(); }

// Clients are only added on the game thread, which ticks: it walks the list as it is.
void Simulation::Tick(int count) {
  for (int i = 0; i < count; ++i) {
    ++impl_->ticks;
    for (size_t c = 0; c < impl_->clients.size(); ++c) impl_->clients[c]->impl().RunTurn(true);
    impl_->DrawFreeFrameAfterTick();
  }
}

void Simulation::AdvanceSeconds(double seconds) {
  if (!(seconds > 0)) return;
  Tick(static_cast<int>(std::ceil(seconds / Impl::kTickSeconds - 1e-6)));
}

void Simulation::RunPending() {
  for (size_t c = 0; c < impl_->clients.size(); ++c) impl_->clients[c]->impl().RunTurn(false);
}

std::filesystem::path Simulation::ModuleDir() const { return impl_->moduleDir; }

void Simulation::SetInstallDelay(double seconds) { impl_->installDelay = seconds > 0 ? seconds : 0; }

void Simulation::SetNetworkDelay(double seconds) {
  HostLock lock(impl_->mutex);
  impl_->networkDelay = seconds > 0 ? seconds : 0;
}

double Simulation::NetworkDelay() const {
  HostLock lock(impl_->mutex);
  return impl_->networkDelay;
}

void Simulation::UseSimulatedProcessorClock(bool simulated) {
  if (simulated)
    FollowSimulation(*impl_);
  else
    StopFollowing(*impl_);
}

size_t Simulation::UnknownObjectLookups() { return sim::UnknownObjectLookups(); }
size_t Simulation::UnattributedFaults() { return sim::UnattributedFaults(); }

}  // namespace sim
