// What a page shows, as text: Dear ImGui's own log of the rendered widgets
// ("[x] label" for a ticked box, "> label" for a tree node, dashes for a
// separator, four spaces per tree level), with each node's open state added
// (found where the node is shown; see host/settings/SettingsWindowLayout.cpp).
#include <sstream>

#include "host/settings/PageText.h"
#include "host/settings/SettingsWindow.h"

namespace sim {
namespace {
std::string Trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t\r\n");
  return begin == std::string::npos ? std::string() : TrimRight(text.substr(begin));
}
}  // namespace

std::string SettingsWindow::Describe(const std::string& pluginName) {
  if (!pluginName.empty()) return DescribePage(pluginName);
  Plugins::BusyScope busy(client.plugins);
  std::string all;
  for (const Page& page : Pages()) all += "[" + page.title + "]\n" + DescribePage(page.name);
  return all;
}

// A tooltip is a window of its own, and Dear ImGui ends the log when that
// window ends, so a frame that shows one is captured only up to the tooltip.
// The whole page is then captured again with the mouse away.
std::string SettingsWindow::DescribePage(const std::string& pluginName) {
  Input shown;
  shown.mouse = mouse;
  shown.capture = true;
  const Frame hovered = RunFrame(pluginName, shown);
  if (!hovered.pageFound) return "";
  if (!hovered.cutShort) return Annotate(pluginName, LookOf(hovered));

  Input away = shown;
  away.mouse = kNoMouse;
  const Frame whole = RunFrame(pluginName, away);
  return Annotate(pluginName, LookOf(whole)) + "tooltip: " + TooltipText(hovered.text, whole.text) + "\n";
}

// The hovered capture is the page up to the hovered widget, then the tooltip
// on lines of its own: what follows the last line both captures share.
std::string SettingsWindow::TooltipText(const std::string& hovered, const std::string& unhovered) {
  size_t common = 0;
  while (common < hovered.size() && common < unhovered.size() && hovered[common] == unhovered[common])
    ++common;
  const size_t lineStart = hovered.rfind('\n', common == 0 ? 0 : common - 1);
  const size_t tooltipStart = (lineStart == std::string::npos || common == 0) ? 0 : lineStart + 1;
  std::istringstream lines(hovered.substr(tooltipStart));
  std::string text;
  for (std::string line; std::getline(lines, line);) {
    line = Trim(line);
    if (line.empty()) continue;
    text += (text.empty() ? "" : " ") + line;
  }
  return text;
}

// The lines with their indentation, and " (open)" or " (closed)" after each tree node.
std::string SettingsWindow::Annotate(const std::string& pluginName, const Look& look) {
  std::string described;
  for (size_t i = 0; i < look.lines.size(); ++i) {
    const ShownLine& line = look.lines[i];
    described += std::string(line.indent, ' ') + line.text;
    if (line.node) described += IsOpen(pluginName, look, i) ? " (open)" : " (closed)";
    described += "\n";
  }
  return described;
}

void SettingsWindow::OnClipboardSet(void* user, const char* text) {
  auto* self = static_cast<SettingsWindow*>(user);
  if (self->capturing)
    self->captured += text;
  else
    self->clipboard = text;
}

const char* SettingsWindow::OnClipboardGet(void* user) {
  return static_cast<SettingsWindow*>(user)->clipboard.c_str();
}

}  // namespace sim
