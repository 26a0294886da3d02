#pragma once

// Native pictures of match views: the scenes side by side, rendered off
// screen (host/pictures/PictureRenderer.h) and saved as a PNG file.

#include <filesystem>
#include <string>
#include <vector>

#include "host/pictures/MatchScene.h"

namespace sim {

// On the render thread, which draws with the host's Dear ImGui. scale 2 (up
// to 4) makes every side twice as long. Returns "" once the file is written,
// otherwise why it was not.
std::string SaveMatchViewPicture(const std::vector<MatchScene>& scenes, const std::filesystem::path& file,
                                 int scale);

}  // namespace sim
