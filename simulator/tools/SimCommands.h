#pragma once

// The simulator command's "sim" commands: a table of command name -> handler.
// A source file adds its own commands with a static SimCommandRegistrar:
//
//   static SimCommandRegistrar panel({"panel", "panel [PLUGIN]", "draws the panel", DrawPanel});

#include <functional>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Transcript.h"
#include "host/Simulation.h"
#include "host/modules/ModuleLoader.h"

// The settings page that page commands (panel, open, click, screenshot) act on
// unless they name another: the plug-in the simulator is for.
inline constexpr char kGlimmerfadePage[] = "Glimmerfade";

// What a handler reports when its arguments or the world do not allow the command.
struct SimError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct SimContext {
  SimContext(sim::Simulation& simulation, std::ostream& output)
      : sim(simulation), transcript(simulation, output), out(transcript.Lines()) {}

  sim::Simulation& sim;
  // What the session prints, in the order things happened (Transcript.h).
  Transcript transcript;
  // Where a command prints its own lines: each comes out after every console
  // line written before it.
  std::ostream& out;
  sim::Client* current = nullptr;

  bool quit = false;  // "sim quit": no further lines are read

  sim::Client& Current() const;
  sim::Match& MatchNamed(const std::string& name) const;
  // A player of a match by reference: a name while no other player of the
  // match has it, "#ID" (the id the simulator prints) or "@SLOT" (the
  // spectator shortcut, while no other player has it).
  sim::Player& PlayerNamed(sim::Match& match, const std::string& reference) const;
};

// args[0] is the command name itself.
using SimHandler = std::function<void(SimContext&, const std::vector<std::string>& args)>;

struct SimCommand {
  std::string name;
  std::string usage;
  std::string help;
  SimHandler handler;
};

void RegisterSimCommand(SimCommand command);
const std::map<std::string, SimCommand>& SimCommands();

struct SimCommandRegistrar {
  explicit SimCommandRegistrar(SimCommand command) { RegisterSimCommand(std::move(command)); }
};

// Argument helpers shared by the command files.
int IntArgument(const std::string& text, const std::string& what);
bool YesNoArgument(const std::string& text, const std::string& what);
double SecondsArgument(const std::string& text);
void RequireArguments(const std::vector<std::string>& args, size_t least, size_t most);
