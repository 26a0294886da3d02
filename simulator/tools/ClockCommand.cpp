// "sim clock": what plug-ins read with clock(), the process's own processor
// clock or the simulation's.

#include "SimCommands.h"

namespace {

void Clock(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  if (args[1] != "simulated" && args[1] != "real")
    throw SimError("usage: sim " + SimCommands().at("clock").usage);
  context.sim.UseSimulatedProcessorClock(args[1] == "simulated");
}

const SimCommandRegistrar kClockCommand(
    {"clock", "clock simulated|real",
     "plug-ins' clock() reads the simulated processor clock (the simulated "
     "time, in CLOCKS_PER_SEC units) or the process's own (the default)",
     Clock});

}  // namespace
