#include "ScriptRunner.h"

// The road of one change: alice runs a match in playlist 24, bruno and dmitri
// joined it online, every client has NetcodePlugin. Alice unticks "Visible to
// Opponents" for Bruno in her settings page; the table travels to the other
// clients, and at the next tick Bruno's car disappears from the screens of the
// team-0 viewers (alice, dmitri) while Bruno still sees his own car.
const char* const kDefaultScript = R"(# corvane-sim default script: one change, end to end
sim echo Setting up: alice runs match "final" (playlist 24), bruno and dmitri join it online
sim match final 24
sim player add final Alice team=0 shortcut=1
sim player add final Dmitri team=0 shortcut=2
sim player add final Bruno team=1 shortcut=3
sim player add final Carmen team=1 shortcut=4

sim client alice loaded
plugin load Glimmerfade
sim run final
sim control Alice
shroudweave_enabled 1

sim client bruno loaded
plugin load Glimmerfade
NETCODE_Log_Level 3
sim join final
sim control Bruno
shroudweave_enabled 1

sim client dmitri loaded
plugin load Glimmerfade
sim join final
sim control Dmitri
shroudweave_enabled 1

# Before: one game tick, every car shown everywhere.
sim tick
sim echo Before the change
sim use alice
sim cars
sim use bruno
sim cars
sim use dmitri
sim cars

# Alice opens Bruno's node in her settings page and unticks a box.
sim echo alice unticks "Visible to Opponents" under Bruno in her settings page
sim use alice
sim open Bruno
sim click Bruno / Visible to Opponents
sim panel

# The message crosses the simulated network; then the next tick.
sim echo The table travels: NetcodePlugin carries it to bruno and dmitri
sim wait 0.1
sim use bruno
invis_json
sim use dmitri
invis_json

# After: Bruno's car is hidden for the team-0 viewers only.
sim echo After the change: Bruno's car is hidden from alice and dmitri, not from bruno
sim use alice
sim cars
sim use bruno
sim cars
sim use dmitri
sim cars
)";
