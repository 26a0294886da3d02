// Clicking a widget as a user would: the mouse moves over the page one frame
// at a time until Dear ImGui reports the wanted widget under it, then the
// button goes down on one frame and up on the next.
#include "host/SettingsWindow.h"

namespace sim {
namespace {
// Small enough that every row of a default-styled page (frame height 19) and
// every label of two characters or more is met at least once.
constexpr float kStepX = 6.0f;
constexpr float kStepY = 4.0f;
// Time the hand takes before a click, longer than a double click's window, so
// that two clicks in a row are never taken for one double click.
constexpr float kPauseSeconds = 1.0f;

// A widget's identity: its label hashed onto its parent scope, starting from
// the window's identity, one label per tree level.
ImGuiID IdOfPath(ImGuiID windowId, const std::vector<std::string>& labelPath) {
  ImGuiID id = windowId;
  for (const std::string& label : labelPath) id = ImHashStr(label.c_str(), 0, id);
  return id;
}
}  // namespace

bool SettingsWindow::Click(const std::string& pluginName, const std::vector<std::string>& labelPath) {
  if (labelPath.empty()) return false;
  Input pause;
  pause.mouse = mouse_;
  pause.deltaTime = kPauseSeconds;
  const Frame first = RunFrame(pluginName, pause);
  if (!first.drawn) return false;

  const std::optional<ImVec2> place =
      FindWidget(pluginName, IdOfPath(first.windowId, labelPath),
                 ImRect(first.rect.Min, ImMin(first.rect.Max, first.contentMax)));
  if (!place) return false;
  mouse_ = *place;
  Input press;
  press.mouse = mouse_;
  press.mouseDown = true;
  Input release;
  release.mouse = mouse_;
  // The button goes up even when the page fails while it is down; a page that
  // throws is reported by the host, and the click has happened all the same.
  const bool pressed = RunFrame(pluginName, press).pageFound;
  RunFrame(pluginName, release);
  return pressed;
}

// Sweeps the drawn part of the window row by row. Gives up when the page disappears or its draw
// fails, rather than drawing a failing page thousands of times.
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
  mouse_ = move.mouse;
  return std::nullopt;
}

}  // namespace sim
