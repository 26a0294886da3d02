// A picture of a page as the client's window draws it now: the client's own
// Dear ImGui context, the mouse resting where the last click left it, rendered
// off screen (host/pictures/PictureRenderer.h) and saved as a PNG file.
#include <cmath>

#include "host/pictures/PictureFile.h"
#include "host/pictures/PictureRenderer.h"
#include "host/settings/SettingsWindow.h"

namespace sim {
namespace {
constexpr int kMaxScale = 4;

// The rectangle [left, right) x [top, bottom) of a picture, in pixels.
Picture Cropped(const Picture& picture, int left, int top, int right, int bottom) {
  Picture part;
  part.width = right - left;
  part.height = bottom - top;
  part.rgba.reserve(static_cast<size_t>(part.width) * part.height * 4);
  for (int y = top; y < bottom; ++y) {
    const auto row = picture.rgba.begin() + (static_cast<ptrdiff_t>(y) * picture.width + left) * 4;
    part.rgba.insert(part.rgba.end(), row, row + static_cast<ptrdiff_t>(part.width) * 4);
  }
  return part;
}
}  // namespace

std::string SettingsWindow::SavePicture(const std::string& pluginName, const std::filesystem::path& file,
                                        int scale, bool crop) {
  if (scale < 1 || scale > kMaxScale) return "scale is 1 to " + std::to_string(kMaxScale);
  if (!FindPage(pluginName)) return MissingPageReason(pluginName);
  std::string error;
  const std::unique_ptr<PictureRenderer> renderer = LoadPictureRenderer(error);
  if (!renderer) return error;
  Picture picture;
  error = DrawPicture(*renderer, pluginName, scale, crop, picture);
  std::string png;
  if (error.empty()) error = renderer->EncodePng(picture, png);
  return error.empty() ? WritePictureFile(file, png) : error;
}

std::string SettingsWindow::MissingPageReason(const std::string& pluginName) const {
  HostLock lock(client.world.mutex);
  for (const auto& record : client.plugins.Records()) {
    const char* displayName = record->descriptor ? record->descriptor->displayName : nullptr;
    if (record->name == pluginName || (displayName && pluginName == displayName))
      return "plug-in " + pluginName + " has no settings page";
  }
  return "no plug-in " + pluginName + " is loaded on " + client.name;
}

// A window drawn continuously shows what appears a frame late too (a tooltip
// measures itself hidden on the first frame it is asked for), so one frame is
// drawn with the mouse resting before the frame that is pictured.
std::string SettingsWindow::DrawPicture(PictureRenderer& renderer, const std::string& pluginName, int scale,
                                        bool crop, Picture& picture) {
  ImGui::SetCurrentContext(context);
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  std::string error =
      renderer.Begin(context, static_cast<int>(display.x) * scale, static_cast<int>(display.y) * scale);
  if (!error.empty()) return error;
  Input resting;
  resting.mouse = mouse;
  resting.framebufferScale = static_cast<float>(scale);
  RunFrame(pluginName, resting);
  const Frame frame = RunFrame(pluginName, resting);
  // A page whose plug-in unloaded itself while drawn may have left draw
  // callbacks into its unloaded module in the frame: that frame is not rendered.
  if (!frame.pageFound || !FindPage(pluginName))
    return "the page of " + pluginName + " went away while drawn";
  ImGui::SetCurrentContext(context);
  error = renderer.Render(ImGui::GetDrawData(), picture);
  if (!error.empty() || !crop) return error;
  const ImRect used = UsedArea(frame);
  picture = Cropped(picture, 0, 0, static_cast<int>(std::ceil(used.Max.x)) * scale,
                    static_cast<int>(std::ceil(used.Max.y)) * scale);
  return "";
}

// From the window's upper left corner: what the page drew with the window's
// padding around it, and every other window shown over it (a tooltip).
ImRect SettingsWindow::UsedArea(const Frame& frame) const {
  const ImGuiContext& g = *GImGui;
  const ImVec2 padding = g.Style.WindowPadding;
  ImRect used(frame.rect.Min, ImVec2(frame.contentMax.x + padding.x, frame.contentMax.y + padding.y));
  for (const ImGuiWindow* window : g.Windows) {
    if (window->Active && !window->Hidden && window->ID != frame.windowId) used.Add(window->Rect());
  }
  used.ClipWith(frame.rect);
  return used;
}

}  // namespace sim
