#include "MatchAudience.h"

#include <cstdint>

#include "pluginsdk.h"

namespace glimmerfade {

MatchAudience AudienceOfMatchRun(GameWrapper& game) {
  if (game.IsInOnlineGame() || !game.IsInGame()) return MatchAudience::NoMatchRun;
  ServerWrapper event = game.GetGameEventAsServer();
  if (event.IsNull()) return MatchAudience::NoMatchRun;
  ArrayWrapper<PriWrapper> roster = event.GetPRIs();
  if (roster.IsNull()) return MatchAudience::Alone;
  PlayerControllerWrapper controller = game.GetPlayerController();
  const uintptr_t localEntry = controller ? controller.GetPRI().memory_address : 0;
  for (int i = 0; i < roster.Count(); ++i)
    if (roster.Get(i).memory_address != localEntry) return MatchAudience::Others;
  return MatchAudience::Alone;
}

}  // namespace glimmerfade
