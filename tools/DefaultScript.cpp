#include "ScriptRunner.h"

// One client runs a local match with three players; the table hides Bruno
// (slot 2) from opponents, so Alice on the other team no longer sees his car.
const char* const kDefaultScript = R"(# corvane-sim default script
sim client alice
plugin load Glimmerfade
sim match arena 6
sim player add arena Alice team=0 shortcut=1
sim player add arena Bruno team=1 shortcut=2
sim player add arena Carmen team=1 shortcut=3
sim run arena
sim control Alice
shroudweave_enabled 1
invis_json {"invisDeque":[[true,true,true],[true,true,true],[true,false,true],[true,true,true],[true,true,true],[true,true,true],[true,true,true],[true,true,true],[true,true,true]]}
sim tick 2
names_specshortcuts
sim cars
)";
