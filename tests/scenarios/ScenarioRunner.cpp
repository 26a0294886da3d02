#include "ScenarioRunner.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <system_error>
#include <thread>

#include "GameEvents.h"
#include "ScriptRunner.h"

namespace scenario {
namespace {
const char* const kSendLine = "Sending netcode message ";

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// NAME = "VALUE", the host showing a console variable.
bool IsValueShown(const std::string& line) {
  const size_t equals = line.find(" = \"");
  if (equals == std::string::npos || equals == 0 || !EndsWith(line, "\"")) return false;
  return std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(equals),
                     [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; });
}

// Lines the host writes on its own account (command echoes, plug-in loads,
// installs, values shown); none of them says anything about the plug-in.
bool IsHostLine(const std::string& line) {
  static const char* const prefixes[] = {"] ",
                                         "Loaded plug-in ",
                                         "Unloaded plug-in ",
                                         "Cannot load plug-in ",
                                         "cpm_install ",
                                         "Unknown command: ",
                                         "Usage: "};
  for (const char* prefix : prefixes)
    if (StartsWith(line, prefix)) return true;
  if (StartsWith(line, "Plug-in ") &&
      (EndsWith(line, " is already loaded") || EndsWith(line, " is not loaded")))
    return true;
  return IsValueShown(line);
}

// The bridge's lines at a log level carry "(A: clock)   " or "(C: clock)   ".
std::string WithoutLevelPrefix(const std::string& line) {
  if (!StartsWith(line, "(A: ") && !StartsWith(line, "(C: ")) return line;
  size_t i = 4;
  if (i < line.size() && line[i] == '-') ++i;
  const size_t digits = i;
  while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) ++i;
  if (i == digits || line.compare(i, 4, ")   ") != 0) return line;
  return line.substr(i + 4);
}

bool Allowed(const model::ConsoleExpectations& expected, const std::string& text) {
  if (expected.lines.count(text)) return true;
  return std::any_of(expected.prefixes.begin(), expected.prefixes.end(),
                     [&](const std::string& prefix) { return StartsWith(text, prefix); });
}

std::string Shown(const std::optional<bool>& hidden) {
  return !hidden ? "no car" : *hidden ? "hidden" : "shown";
}

std::string Quoted(const std::optional<std::string>& value) {
  return value ? "\"" + *value + "\"" : "(none)";
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "    " + line + "\n";
  return text;
}
}  // namespace

Runner::Runner(const std::filesystem::path& folder, bool withUser) : root(folder), user(withUser) {
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  simulation = std::make_unique<sim::Simulation>(root);
  context = std::make_unique<SimContext>(*simulation, output);
  if (user) simulation->SetRenderFreeRunning(true, 0);
}

Runner::~Runner() {
  context.reset();
  simulation.reset();
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

bool Runner::Run(const Step& step) {
  model::WorldModel trial = model;
  for (const std::string& line : step.lines)
    if (!trial.Apply(line)) return false;
  size_t sendsExpected = 0;
  for (size_t c = 0; c < trial.Clients().size(); ++c) {
    const size_t before = c < model.Clients().size() ? model.Clients()[c].expected.sends.size() : 0;
    sendsExpected += trial.Clients()[c].expected.sends.size() - before;
  }
  model = std::move(trial);
  sendsThisStep = 0;
  for (const std::string& line : step.lines) {
    tally.clicks += StartsWith(line, "sim click ");
    const std::optional<int> ticks = model::WorldModel::TicksOf(line);
    if (!ticks) {
      RunLine(line);
      continue;
    }
    // Time runs in short stretches, so that a storm of messages is stopped
    // while it is still small.
    for (int done = 0; done < *ticks && !scriptError; done += kTicksPerStretch) {
      RunLine("sim tick " + std::to_string(std::min(kTicksPerStretch, *ticks - done)));
      if (CountSends() > sendsExpected)
        scriptError = Finding{"sends", "more tables sent than the model expects while \"" + line + "\" ran"};
    }
  }
  if (user) AwaitFreeFrame();
  return true;
}

// A page shows the table in force as of its last draw. A free-running render
// thread draws every page between steps: the step ends once a frame begun
// after it has been drawn (the count goes up as a frame begins).
void Runner::AwaitFreeFrame() {
  const uint64_t begun = simulation->FreeRunningFrames();
  while (simulation->FreeRunningFrames() < begun + 2)
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  model.DrawPages();
}

void Runner::RunLine(const std::string& line) {
  output.str("");
  std::istringstream script(line);
  int failed = 0;
  if (user && (StartsWith(line, "sim click ") || StartsWith(line, "sim open ")))
    std::thread([&] { failed = RunScript(*context, script); }).join();
  else
    failed = RunScript(*context, script);
  if (failed > 0 && !scriptError) {
    const std::string printed = output.str();
    const size_t error = printed.find("error: ");
    scriptError = Finding{
        "script", "\"" + line + "\" failed: " + printed.substr(error == std::string::npos ? 0 : error)};
  }
  output.str("");
}

// The sends written since the step began, on every client.
size_t Runner::CountSends() {
  std::vector<sim::Client*> clients = simulation->Clients();
  sendScan.resize(clients.size(), 0);
  for (size_t c = 0; c < clients.size(); ++c) {
    const size_t seen = std::max(sendScan[c], c < consoleSeen.size() ? consoleSeen[c] : 0);
    for (const std::string& line : clients[c]->ConsoleSince(seen))
      sendsThisStep += StartsWith(line, kSendLine);
    sendScan[c] = clients[c]->ConsoleSize();
  }
  return sendsThisStep;
}

std::optional<Finding> Runner::Check() {
  ++tally.checks;
  tally.received = model.TablesApplied();
  std::optional<Finding> finding = std::move(scriptError);
  scriptError.reset();
  const auto& clients = model.Clients();
  consoleSeen.resize(clients.size(), 0);
  for (const model::ClientState& expected : clients) {
    if (finding) break;
    sim::Client* client = simulation->FindClient(expected.name);
    finding = client ? CheckClient(expected, *client) : Finding{"world", "no client " + expected.name};
  }
  model.ClearExpectations();
  return finding;
}

std::optional<Finding> Runner::CheckClient(const model::ClientState& expected, sim::Client& client) {
  const std::string who = expected.name + ": ";
  if (auto finding = CheckConsole(expected, client)) return finding;
  if (client.EscapedExceptions() != 0) return Finding{"exception", who + "an exception reached the host"};
  if (client.Faults() != 0) return Finding{"fault", who + "a call on a game object that does not live"};
  for (const char* plugin : {"Glimmerfade", "NetcodePlugin"}) {
    const bool loaded =
        std::string(plugin) == "Glimmerfade" ? expected.glimmerfadeLoaded : expected.netcodeLoaded;
    if (client.IsPluginLoaded(plugin) != loaded)
      return Finding{"modules", who + plugin + (loaded ? " should be loaded" : " should not be loaded")};
  }
  const auto variable = [&](const char* name, const std::string& value) -> std::optional<Finding> {
    const std::optional<std::string> wanted =
        expected.glimmerfadeVariables ? std::optional<std::string>(value) : std::nullopt;
    const std::optional<std::string> actual = client.CvarValue(name);
    if (actual == wanted) return std::nullopt;
    return Finding{name, who + name + " holds " + Quoted(actual) + ", the model says " + Quoted(wanted)};
  };
  if (auto finding = variable("invis_json", expected.invisJson)) return finding;
  if (auto finding = variable("names_specshortcuts", expected.namesList)) return finding;
  if (auto finding = variable("shroudweave_enabled", expected.enabled)) return finding;
  if (auto finding = CheckCars(expected, client)) return finding;

  const std::vector<std::string> hooks = client.HookedEvents();
  const bool hooked = std::find(hooks.begin(), hooks.end(), kVehicleInputEvent) != hooks.end();
  if (hooked != model.Hooked(expected))
    return Finding{"hook", who + "the vehicle-input event is " + (hooked ? "" : "not ") + "hooked"};
  if (client.PendingTimers() != expected.timers.size() || client.PendingTasks() != expected.tasks.size())
    return Finding{"game loop", who + std::to_string(client.PendingTimers()) + " timers and " +
                                    std::to_string(client.PendingTasks()) +
                                    " tasks pending, the model says " +
                                    std::to_string(expected.timers.size()) + " and " +
                                    std::to_string(expected.tasks.size())};
  return std::nullopt;
}

// Every line since the last check is the host's own, an allowed line of the
// plug-in, or one of the sends the model expects, in order.
std::optional<Finding> Runner::CheckConsole(const model::ClientState& expected, sim::Client& client) {
  const size_t index = static_cast<size_t>(&expected - model.Clients().data());
  const std::vector<std::string> lines = client.ConsoleSince(consoleSeen[index]);
  consoleSeen[index] = client.ConsoleSize();
  std::vector<std::string> sends;
  for (const std::string& line : lines) {
    if (StartsWith(line, "Exception in ")) return Finding{"exception", expected.name + ": " + line};
    if (StartsWith(line, "fault: ")) return Finding{"fault", expected.name + ": " + line};
    if (StartsWith(line, kSendLine)) {
      sends.push_back(line);
      continue;
    }
    if (IsHostLine(line) || Allowed(expected.expected, WithoutLevelPrefix(line))) continue;
    return Finding{"console", expected.name + ": a line the model does not allow: \"" + line + "\""};
  }
  for (const std::string& line : expected.expected.required)
    if (std::find(lines.begin(), lines.end(), line) == lines.end())
      return Finding{"console", expected.name + ": the line \"" + line + "\" is missing"};
  for (const std::string& text : expected.expected.requiredAtLevel)
    if (std::none_of(lines.begin(), lines.end(), [&](const std::string& line) {
          return line != text && WithoutLevelPrefix(line) == text;
        }))
      return Finding{"console", expected.name + ": the line \"(A or C: CLOCK)   " + text + "\" is missing"};
  tally.sends += sends.size();
  if (sends != expected.expected.sends)
    return Finding{"sends", expected.name + ": sent\n" + Joined(sends) + "  the model says\n" +
                                Joined(expected.expected.sends)};
  return std::nullopt;
}

std::optional<Finding> Runner::CheckCars(const model::ClientState& expected, sim::Client& client) {
  if (!expected.inMatch) {
    if (client.CurrentMatch()) return Finding{"world", expected.name + " should not be in a match"};
    return std::nullopt;
  }
  for (const model::Owner& player : model.Players()) {
    const auto car = expected.carHidden.find(player.name);
    const std::optional<bool> wanted =
        car == expected.carHidden.end() ? std::nullopt : std::optional<bool>(car->second);
    const std::optional<bool> actual = client.CarHidden(player.name);
    tally.cars += actual.has_value();
    tally.hidden += actual.value_or(false);
    if (actual == wanted) continue;
    const model::Viewer viewer = model.ViewerOf(expected);
    return Finding{
        "car", expected.name + ": " + player.name + "'s car is " + Shown(actual) + ", the model says " +
                   Shown(wanted) + " (owner team " + std::to_string(player.team) + ", shortcut " +
                   std::to_string(player.shortcut) + "; viewer team " + std::to_string(viewer.team) +
                   (viewer.hasEntry ? ", own shortcut " + std::to_string(viewer.ownShortcut) : ", no entry") +
                   "; invis_json " + expected.invisJson + ")"};
  }
  return std::nullopt;
}

std::string ScriptOf(const std::vector<Step>& steps) {
  std::string script;
  std::string current;
  for (const Step& step : steps) {
    for (const std::string& line : step.lines) {
      // A client chosen again while it is still the current one says nothing new.
      if (StartsWith(line, "sim use ") && line.substr(8) == current) continue;
      if (StartsWith(line, "sim use ") || StartsWith(line, "sim client ")) {
        const std::string rest = line.substr(StartsWith(line, "sim use ") ? 8 : 11);
        current = rest.substr(0, rest.find(' '));
      }
      script += line + "\n";
    }
  }
  return script;
}

}  // namespace scenario
