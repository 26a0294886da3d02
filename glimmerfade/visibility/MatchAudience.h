#pragma once

class GameWrapper;

namespace glimmerfade {

// Whom a send of the table can reach: whether this client runs a match (a
// local game, not an online one), and whether anyone besides its own player
// is in it. Spectators and entries without a car count: each may be a client
// that applies the table.
enum class MatchAudience { NoMatchRun, Alone, Others };

MatchAudience AudienceOfMatchRun(GameWrapper& game);

}  // namespace glimmerfade
