// Clicking a widget as a user would: find the line that shows it, point at
// where that line is drawn (host/settings/SettingsWindowLayout.cpp), then press the
// button on one frame and release it on the next.
#include "host/settings/SettingsWindow.h"

namespace sim {
namespace {
// Small enough that every row of a default-styled page (frame height 19) and
// every label of two characters or more is met at least once.
constexpr float kStepX = 6.0f;
constexpr float kStepY = 4.0f;
// Time the hand takes before a click, longer than a double click's window, so
// that two clicks in a row are never taken for one double click.
constexpr float kPauseSeconds = 1.0f;
}  // namespace

bool SettingsWindow::Click(const std::string& pluginName, const std::vector<std::string>& labelPath) {
  if (labelPath.empty()) return false;
  Input pause;
  pause.mouse = mouse;
  pause.deltaTime = kPauseSeconds;
  if (!RunFrame(pluginName, pause).drawn) return false;

  const std::optional<ImVec2> place = PlaceToClick(pluginName, labelPath);
  if (!place) return false;
  mouse = *place;
  Input press;
  press.mouse = mouse;
  press.mouseDown = true;
  Input release;
  release.mouse = mouse;
  // The button goes up even when the page fails while it is down; a page that
  // throws is reported by the host, and the click has happened all the same.
  const bool pressed = RunFrame(pluginName, press).pageFound;
  RunFrame(pluginName, release);
  return pressed;
}

// Where the widget shown at the label path reacts to the mouse. A line whose
// row is not known is looked for by its labels' identity instead, sweeping the
// drawn part of the window row by row.
std::optional<ImVec2> SettingsWindow::PlaceToClick(const std::string& pluginName,
                                                   const std::vector<std::string>& labelPath) {
  Input away;
  away.mouse = kNoMouse;
  away.capture = true;
  const Frame frame = RunFrame(pluginName, away);
  if (!frame.drawn) return std::nullopt;
  const Look look = LookOf(frame);
  const std::optional<size_t> line = FindLine(look.lines, labelPath);
  if (!line) return std::nullopt;
  if (IdentityAt(pluginName, look.lines[*line]) != 0) return look.lines[*line].place;
  return FindWidget(pluginName, IdOfLabels(look.windowId, LabelsTo(look.lines, *line)),
                    ImRect(frame.rect.Min, ImMin(frame.rect.Max, frame.contentMax)));
}

// Gives up when the page disappears or its draw fails, rather than drawing a
// failing page thousands of times.
std::optional<ImVec2> SettingsWindow::FindWidget(const std::string& pluginName, ImGuiID target,
                                                 const ImRect& rect) {
  Input move;
  for (float y = rect.Min.y; y < rect.Max.y; y += kStepY) {
    for (float x = rect.Min.x; x < rect.Max.x; x += kStepX) {
      move.mouse = ImVec2(x, y);
      const Frame frame = RunFrame(pluginName, move);
      if (!frame.drawn) return std::nullopt;
      if (frame.hoveredId == target) return move.mouse;
    }
  }
  mouse = move.mouse;
  return std::nullopt;
}

}  // namespace sim
