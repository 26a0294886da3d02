#pragma once

// Folders of one's own in a shared parent folder, such as the system's
// temporary folder, for programs that may run many times at once.

#include <filesystem>
#include <string>

namespace scratch {

// Creates a new, empty folder in parent named prefix and a random suffix, and
// returns its path. No two calls get the same folder, in this process or any
// other: the folder is made by a call that fails when the name exists, and then
// another name is tried. Throws std::filesystem::filesystem_error when parent
// cannot take a new folder.
std::filesystem::path CreateUniqueFolder(const std::filesystem::path& parent, const std::string& prefix);

}  // namespace scratch
