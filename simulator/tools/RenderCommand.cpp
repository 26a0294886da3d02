// "sim render": whether the render thread draws every client's settings page
// on its own while the game ticks, as in a game, or only when a command asks.

#include "SimCommands.h"

namespace {

constexpr int kDefaultFramesPerSecond = 60;
constexpr int kMostFramesPerSecond = 1000;

void Render(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 2);
  const bool free = args[1] == "free";
  if ((!free && args[1] != "awaited") || (!free && args.size() > 2))
    throw SimError("usage: sim " + SimCommands().at("render").usage);
  int framesPerSecond = kDefaultFramesPerSecond;
  if (args.size() > 2) {
    framesPerSecond = IntArgument(args[2], "frames per second");
    if (framesPerSecond < 0 || framesPerSecond > kMostFramesPerSecond)
      throw SimError("frames per second is 0 (as often as it can) to " +
                     std::to_string(kMostFramesPerSecond));
  }
  context.sim.SetRenderFreeRunning(free, framesPerSecond);
}

const SimCommandRegistrar kRenderCommand(
    {"render", "render free [FPS]|awaited",
     "free: the render thread draws every client's settings page on its own, FPS times a second "
     "(default 60; 0: as often as it can), while the game ticks; awaited (the default): only when a "
     "command asks, which waits for it. Without threads (the browser build), free draws once after "
     "each tick",
     Render});

}  // namespace
