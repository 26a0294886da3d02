// Native pictures of match views (host/pictures/MatchViewPicture.h).
#include "host/pictures/MatchViewPicture.h"

#include "host/pictures/MatchView.h"
#include "host/pictures/MatchViewFrame.h"
#include "host/pictures/PictureFile.h"
#include "host/pictures/PictureRenderer.h"

namespace sim {
namespace {
constexpr int kMaxScale = 4;
}  // namespace

std::string SaveMatchViewPicture(const std::vector<MatchScene>& scenes, const std::filesystem::path& file,
                                 int scale) {
  if (scale < 1 || scale > kMaxScale) return "scale is 1 to " + std::to_string(kMaxScale);
  if (scenes.empty()) return "there is no client to picture";
  MatchViewFrame frame;  // outlives the renderer, which detaches from its context when it ends
  std::string error;
  const std::unique_ptr<PictureRenderer> renderer = LoadPictureRenderer(error);
  if (!renderer) return error;
  const int width = static_cast<int>(kMatchViewSize.x) * static_cast<int>(scenes.size()) * scale;
  const int height = static_cast<int>(kMatchViewSize.y) * scale;
  // The renderer makes the frame's font texture: frames are built after Begin.
  error = renderer->Begin(frame.Context(), width, height);
  Picture picture;
  if (error.empty())
    error = renderer->Render(frame.Draw(scenes, kMatchViewSize, static_cast<float>(scale)), picture);
  std::string png;
  if (error.empty()) error = renderer->EncodePng(picture, png);
  return error.empty() ? WritePictureFile(file, png) : error;
}

}  // namespace sim
