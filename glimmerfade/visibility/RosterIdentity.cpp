#include "RosterIdentity.h"

namespace glimmerfade {

void RosterIdentity::BeginWalk(uintptr_t gameEvent) {
  changed = !remembers || gameEvent != walkedEvent;
  if (changed) entries.clear();
  walkedEvent = gameEvent;
  remembers = true;
  walked = 0;
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

void RosterIdentity::Forget() {
  entries.clear();
  remembers = false;
}

}  // namespace glimmerfade
