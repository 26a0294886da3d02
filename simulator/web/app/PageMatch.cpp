#include "PageMatch.h"

#include <system_error>

#include "ScriptRunner.h"
#include "UniqueFolder.h"

namespace {
constexpr size_t kShownClients = 3;
// The default script sets the match up before this line; the rest is the
// visitor's to do.
const char* const kEndOfSetUp = "\n# Before:";

std::string DefaultSetUp() {
  const std::string script = kDefaultScript;
  return script.substr(0, script.find(kEndOfSetUp)) + "\nsim tick\n";
}
}  // namespace

PageMatch::PageMatch(std::filesystem::path modules)
    : root(scratch::CreateUniqueFolder(std::filesystem::temp_directory_path(), "corvane-page-")),
      simulation(std::make_unique<sim::Simulation>(root, std::move(modules))),
      context(std::make_unique<SimContext>(*simulation, output)) {
  std::istringstream setUp(DefaultSetUp());
  RunScript(*context, setUp);
  output.str("");
  if (sim::Client* host = simulation->FindClient("alice")) context->current = host;
}

PageMatch::~PageMatch() {
  context.reset();
  simulation.reset();
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

std::string PageMatch::RunLine(const std::string& line) {
  // Only what this line makes the consoles write is printed with it.
  context->transcript.SkipConsoles();
  output.str("");
  ::RunLine(*context, line, "");
  PrintConsoles(*context);
  context->quit = false;  // the page goes on after "sim quit"
  return output.str();
}

std::string PageMatch::Current() const { return context->current ? context->current->Name() : "corvane-sim"; }

std::vector<sim::Client*> PageMatch::ShownClients() {
  std::vector<sim::Client*> clients = simulation->Clients();
  if (clients.size() > kShownClients) clients.resize(kShownClients);
  return clients;
}
