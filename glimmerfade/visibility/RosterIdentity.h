#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Who is in a match: the address of every entry of its roster, in roster
// order, spectators and entries without a car included. The client that runs
// the match sends its table again when this changes, so that a player or a
// spectator who joined after the last send gets the table too.
//
// One walk over the roster is compared with the one before it as it goes,
// in a buffer that is kept: walking an unchanged roster allocates nothing.
class RosterIdentity {
 public:
  void BeginWalk();
  void Walk(uintptr_t entry);
  // True when the walk differs from the one before it. Nothing walked before
  // counts as a roster of no entries.
  bool EndWalk();

 private:
  std::vector<uintptr_t> entries;
  size_t walked = 0;
  bool changed = false;
};
