// Writing pictures to files (host/pictures/PictureFile.h).
#include "host/pictures/PictureFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace sim {
namespace {
std::string CannotWrite(const std::filesystem::path& file, const std::string& reason) {
  return "cannot write " + file.string() + ": " + reason;
}
}  // namespace

std::string WritePictureFile(const std::filesystem::path& file, const std::string& bytes) {
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) return CannotWrite(file, "it is a folder");
  std::filesystem::path partial = file;
  partial += ".part";
  errno = 0;
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    if (!out) {
      const std::string reason = errno ? std::strerror(errno) : "the file cannot be written";
      std::filesystem::remove(partial, error);
      return CannotWrite(file, reason);
    }
  }
  std::filesystem::rename(partial, file, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    return CannotWrite(file, error.message());
  }
  return "";
}

}  // namespace sim
