// The settings window's per-frame interface for a front-end that draws its
// frames itself, and the window's size.
#include "host/settings/SettingsWindow.h"

namespace sim {

// Every frame is captured, so that the front-end always knows where the
// widgets are; a tooltip, a window of its own, ends the capture early, and
// such a frame tells no places.
SettingsWindow::FrameOutput SettingsWindow::DrawFrame(const std::string& pluginName,
                                                      const FrameInput& input) {
  Input frameInput;
  frameInput.mouse = input.mouse;
  frameInput.mouseDown = input.mouseDown;
  frameInput.deltaTime = input.deltaTime;
  frameInput.capture = true;
  mouse = input.mouse;
  const Frame frame = RunFrame(pluginName, frameInput);
  FrameOutput output;
  output.drawn = frame.drawn;
  if (!frame.pageFound) return output;
  ImGui::SetCurrentContext(context);
  output.drawData = ImGui::GetDrawData();
  output.neededHeight = frame.contentMax.y - frame.rect.Min.y + ImGui::GetStyle().WindowPadding.y;
  if (!frame.drawn || frame.cutShort) return output;
  const Look look = LookOf(frame);
  for (size_t i = 0; i < look.lines.size(); ++i) {
    const ShownLine& line = look.lines[i];
    output.widgets.push_back(ShownWidget{LabelsTo(look.lines, i), line.text, line.node, line.place});
  }
  return output;
}

void SettingsWindow::SetSize(ImVec2 size) { windowSize = ImVec2(ImMax(size.x, 1.0f), ImMax(size.y, 1.0f)); }

}  // namespace sim
