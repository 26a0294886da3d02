#pragma once

namespace glimmerfade {

// Player slots. A player's spectator shortcut number, 0 to 8, is the slot
// that indexes the visibility table and the names list. Slots 1 to 8 are
// listed (in the names list and as the settings panel's nodes); slot 0 has an
// entry in the table but is never listed.
inline constexpr int kSlots = 9;
inline constexpr int kFirstListedSlot = 1;
inline constexpr int kLastListedSlot = kSlots - 1;

}  // namespace glimmerfade
