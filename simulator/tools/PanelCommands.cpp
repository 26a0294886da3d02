// The simulator's settings-window commands: print a plug-in's page as the
// current client's settings window draws it, open a node, click a widget,
// withhold the window's Dear ImGui context from plug-ins.
// Labels may hold spaces; in a label path, " / " separates the levels, and
// "Sam#2" is the second "Sam" of its level.

#include <optional>
#include <sstream>

#include "SimCommands.h"

namespace {

std::string Joined(const std::vector<std::string>& words, size_t first, size_t last) {
  std::string text;
  for (size_t i = first; i < last; ++i) text += (text.empty() ? "" : " ") + words[i];
  return text;
}

// "Bruno / Visible to Opponents" -> {"Bruno", "Visible to Opponents"}
std::vector<std::string> LabelPath(const std::vector<std::string>& args) {
  std::vector<std::string> path;
  size_t start = 1;
  for (size_t i = 1; i <= args.size(); ++i) {
    if (i < args.size() && args[i] != "/") continue;
    if (i == start) throw SimError("a label is missing; labels are separated by \" / \"");
    path.push_back(Joined(args, start, i));
    start = i + 1;
  }
  return path;
}

std::string PathText(const std::vector<std::string>& path) {
  std::string text;
  for (const std::string& label : path) text += (text.empty() ? "" : " / ") + label;
  return text;
}

// Drawn before anything is printed, so that what the draw writes on the
// console comes before the page.
void PrintPage(SimContext& context, sim::Client& client, const std::string& plugin) {
  const std::string page = client.DrawSettings(plugin);
  context.out << "settings page " << plugin << " on " << client.Name() << ":\n";
  if (page.empty()) context.out << "  (nothing drawn)\n";
  std::istringstream lines(page);
  for (std::string line; std::getline(lines, line);) context.out << "  " << line << "\n";
}

void Panel(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 0, 1);
  PrintPage(context, context.Current(), args.size() > 1 ? args[1] : kGlimmerfadePage);
}

void Click(SimContext& context, const std::vector<std::string>& args) {
  if (args.size() < 2) throw SimError("usage: sim " + SimCommands().at("click").usage);
  const std::vector<std::string> path = LabelPath(args);
  sim::Client& client = context.Current();
  if (!client.ClickWidget(kGlimmerfadePage, path))
    throw SimError("no widget \"" + PathText(path) + "\" shown on " + client.Name() + "'s " +
                   kGlimmerfadePage + " page");
  context.out << "clicked " << PathText(path) << " on " << client.Name() << "\n";
}

// Clicks a node only while it is closed, so that opening twice keeps it open.
void Open(SimContext& context, const std::vector<std::string>& args) {
  if (args.size() < 2) throw SimError("usage: sim " + SimCommands().at("open").usage);
  const std::vector<std::string> path = LabelPath(args);
  sim::Client& client = context.Current();
  const std::optional<bool> open = client.SettingsNodeOpen(kGlimmerfadePage, path);
  if (!open || (!*open && !client.ClickWidget(kGlimmerfadePage, path)))
    throw SimError("no node \"" + PathText(path) + "\" shown on " + client.Name() + "'s " + kGlimmerfadePage +
                   " page");
}

void ImGuiContextCommand(SimContext& context, const std::vector<std::string>& args) {
  RequireArguments(args, 1, 1);
  if (args[1] != "withhold" && args[1] != "hand")
    throw SimError("usage: sim " + SimCommands().at("imgui-context").usage);
  context.Current().WithholdSettingsContext(args[1] == "withhold");
}

const SimCommandRegistrar kPanelCommands[] = {
    SimCommandRegistrar({"panel", "panel [PLUGIN]",
                         "prints the current client's settings page of the plug-in (default Glimmerfade) "
                         "as drawn",
                         Panel}),
    SimCommandRegistrar({"open", "open NODE [/ NODE...]",
                         "opens a node of the Glimmerfade page (a player's name; NAME#2 for the second of "
                         "that name) unless it is open",
                         Open}),
    SimCommandRegistrar(
        {"click", "click LABEL [/ LABEL...]",
         "clicks a widget of the Glimmerfade page with the mouse, e.g. \"click Enable plugin\" "
         "or \"click Bruno / Visible to Opponents\"; NAME#2 is the second of that name",
         Click}),
    SimCommandRegistrar(
        {"imgui-context", "imgui-context withhold|hand",
         "withhold: the current client's settings window draws pages without first handing "
         "its Dear ImGui context to plug-ins that have not had it; hand: it hands the context "
         "before the next draw (the default)",
         ImGuiContextCommand}),
};

}  // namespace
