#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glimmerfade {

// Who is in a match: the address of its game event and of every entry of its
// roster, in roster order, spectators and entries without a car included. The
// client that runs the match sends its table again when this changes, so that
// a player or a spectator who joined after the last send gets the table too.
//
// A game reuses the memory of a match it left, so the next match's entries
// may have the old addresses, in the old order. The memory is therefore
// forgotten whenever the client is seen outside a match it runs, and a walk
// over another game event than the last one starts afresh: the first walk of
// every match counts as a change.
//
// One walk over the roster is compared with the one before it as it goes,
// in a buffer that is kept: walking an unchanged roster allocates nothing.
class RosterIdentity {
 public:
  void BeginWalk(uintptr_t gameEvent);
  void Walk(uintptr_t entry);
  // True when the walk differs from the one before it, or is the first since
  // the memory was forgotten or since another game event.
  bool EndWalk();
  // The client is in no match it runs: the next walk is a match's first.
  void Forget();

 private:
  std::vector<uintptr_t> entries;
  uintptr_t walkedEvent = 0;
  bool remembers = false;
  size_t walked = 0;
  bool changed = false;
};

}  // namespace glimmerfade
