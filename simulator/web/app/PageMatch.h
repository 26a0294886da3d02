#pragma once

// The page's match: a simulation of its own, set up as corvane-sim's default
// script sets it up (alice runs match "final", bruno and dmitri joined it
// online), and the line a visitor types, run as corvane-sim runs it.

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "SimCommands.h"

class PageMatch {
 public:
  // modules: where the plug-in modules are (the page's preloaded files).
  explicit PageMatch(std::filesystem::path modules);
  ~PageMatch();
  PageMatch(const PageMatch&) = delete;
  PageMatch& operator=(const PageMatch&) = delete;

  // Runs one line for the current client, as corvane-sim runs a typed line,
  // and returns what it prints: the line's own output and the console lines
  // it made any client write.
  std::string RunLine(const std::string& line);
  void Tick(int ticks) { simulation->Tick(ticks); }
  double Now() const { return simulation->Now(); }
  // The name the next line is typed for.
  std::string Current() const;
  // The clients the page shows: the first three made.
  std::vector<sim::Client*> ShownClients();

 private:
  std::filesystem::path root;
  std::unique_ptr<sim::Simulation> simulation;
  std::ostringstream output;
  std::unique_ptr<SimContext> context;
};
