#pragma once

// Writing a picture's bytes to a file: a temporary file beside the target is
// written, then put in the target's place, so that a failed write never leaves
// half a picture behind, nor destroys the picture that was there.

#include <filesystem>
#include <string>

namespace sim {

// "" once the file is written, else "cannot write FILE: REASON".
std::string WritePictureFile(const std::filesystem::path& file, const std::string& bytes);

}  // namespace sim
