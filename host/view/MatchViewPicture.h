#pragma once

// Native pictures of match views: the scenes side by side, rendered off
// screen (host/PictureRenderer.h) and saved as a PNG file.

#include <filesystem>
#include <string>
#include <vector>

#include "SdkApi.h"
#include "host/view/MatchScene.h"

namespace sim {

// scale 2 (up to 4) makes every side twice as long. Returns "" once the file
// is written, otherwise why it was not.
CORVANE_SDK_API std::string SaveMatchViewPicture(const std::vector<MatchScene>& scenes,
                                                 const std::filesystem::path& file, int scale = 1);

}  // namespace sim
