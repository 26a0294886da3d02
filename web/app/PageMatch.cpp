#include "PageMatch.h"

#include <system_error>

#include "ScriptRunner.h"
#include "testing/UniqueFolder.h"

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
    : root_(scratch::CreateUniqueFolder(std::filesystem::temp_directory_path(), "corvane-page-")),
      simulation_(std::make_unique<sim::Simulation>(root_, std::move(modules))),
      context_(std::make_unique<SimContext>(*simulation_, output_)) {
  std::istringstream setUp(DefaultSetUp());
  RunScript(*context_, setUp);
  output_.str("");
  if (sim::Client* host = simulation_->FindClient("alice")) context_->current = host;
}

PageMatch::~PageMatch() {
  context_.reset();
  simulation_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string PageMatch::RunLine(const std::string& line) {
  // Only what this line makes the consoles write is printed with it.
  for (sim::Client* client : simulation_->Clients()) context_->printed[client] = client->ConsoleSize();
  output_.str("");
  ::RunLine(*context_, line, "");
  PrintConsoles(*context_);
  context_->quit = false;  // the page goes on after "sim quit"
  return output_.str();
}

std::string PageMatch::Current() const {
  return context_->current ? context_->current->Name() : "corvane-sim";
}

std::vector<sim::Client*> PageMatch::ShownClients() {
  std::vector<sim::Client*> clients = simulation_->Clients();
  if (clients.size() > kShownClients) clients.resize(kShownClients);
  return clients;
}
