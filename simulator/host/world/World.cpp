// What the clients share: its matches and its render thread.

#include "host/world/World.h"

#include <utility>

namespace sim {

World::World(std::filesystem::path rootFolder, std::filesystem::path modules)
    : root(std::move(rootFolder)), moduleDir(std::move(modules)) {}

WorldMatch& World::CreateMatch(const std::string& name, int playlistId) {
  if (WorldMatch* existing = FindMatch(name)) return *existing;
  matches.push_back(std::make_unique<WorldMatch>(*this, name, playlistId));
  return *matches.back();
}

WorldMatch* World::FindMatch(const std::string& name) {
  for (const auto& match : matches) {
    if (match->Name() == name) return match.get();
  }
  return nullptr;
}

RenderThread& World::Render() {
  std::lock_guard<std::mutex> making(renderMaking);
  if (!render) render = std::make_unique<RenderThread>();
  return *render;
}

void World::OnRenderThread(const std::function<void()>& job) {
  CheckNotLockedToWait(mutex, "a job handed to the render thread");
  Render().Run(job);
}

void World::DrawFreeFrameAfterTick() {
  if (!CORVANE_SIM_THREADS && render) render->DrawFreeFrameNow();
}

}  // namespace sim
