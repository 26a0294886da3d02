// The simulation's shared parts: its list of clients and its render thread.

#include "host/world/SimulationImpl.h"

namespace sim {

std::vector<Client*> Simulation::Impl::ClientList() const {
  HostLock lock(mutex);
  std::vector<Client*> result;
  for (const auto& client : clients) result.push_back(client.get());
  return result;
}

RenderThread& Simulation::Impl::Render() {
  std::lock_guard<std::mutex> making(renderMaking);
  if (!render) render = std::make_unique<RenderThread>();
  return *render;
}

void Simulation::Impl::OnRenderThread(const std::function<void()>& job) {
  CheckNotLockedToWait(mutex, "a job handed to the render thread");
  Render().Run(job);
}

void Simulation::Impl::DrawFreeFrameAfterTick() {
  if (!CORVANE_SIM_THREADS && render) render->DrawFreeFrameNow();
}

}  // namespace sim
