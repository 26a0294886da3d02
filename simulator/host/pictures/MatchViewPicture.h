#pragma once

// Native pictures of match views: the scenes side by side, rendered off
// screen (host/pictures/PictureRenderer.h) and saved as a PNG file.

#include <filesystem>
#include <string>
#include <vector>

#include "host/SimApi.h"
#include "host/Simulation.h"
#include "host/pictures/MatchScene.h"

namespace sim {

// Drawn on the simulation's render thread, which draws with the host's Dear
// ImGui. scale 2 (up to 4) makes every side twice as long. Returns "" once
// the file is written, otherwise why it was not.
CORVANE_SIM_API std::string SaveMatchViewPicture(Simulation& simulation,
                                                 const std::vector<MatchScene>& scenes,
                                                 const std::filesystem::path& file, int scale = 1);

}  // namespace sim
