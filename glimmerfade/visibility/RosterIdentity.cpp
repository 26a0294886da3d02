#include "RosterIdentity.h"

void RosterIdentity::BeginWalk() {
  walked = 0;
  changed = false;
}

void RosterIdentity::Walk(uintptr_t entry) {
  if (walked == entries.size()) {
    entries.push_back(entry);
    changed = true;
  } else if (entries[walked] != entry) {
    entries[walked] = entry;
    changed = true;
  }
  ++walked;
}

bool RosterIdentity::EndWalk() {
  if (walked != entries.size()) {
    entries.resize(walked);
    changed = true;
  }
  return changed;
}
