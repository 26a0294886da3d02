#pragma once

// Scratch folders for tests, benchmarks and fuzz targets: each a new folder of
// its own under the system's temporary folder (TMPDIR), made in one step under
// a name no other folder there has, so copies of a program running at the same
// time never share one; removed with the object.

#include <filesystem>
#include <string>
#include <system_error>

#include "UniqueFolder.h"

class ScratchFolder {
 public:
  // prefix starts the folder's name, to tell whose it is when one is left behind.
  explicit ScratchFolder(const std::string& prefix = "glimmerfade-")
      : path(scratch::CreateUniqueFolder(std::filesystem::temp_directory_path(), prefix)) {}
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path path;
};

// A folder for the loose files of this process (scripts, pictures), removed
// when the process ends.
inline const std::filesystem::path& ProcessScratchFolder() {
  static const ScratchFolder folder("glimmerfade-files-");
  return folder.path;
}
