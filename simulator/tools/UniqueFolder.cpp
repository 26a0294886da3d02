#include "UniqueFolder.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <system_error>

namespace scratch {
namespace {

constexpr int kAttempts = 100;

// Names differ between processes started at the same moment (the random
// device) and between calls of one process (the counter).
std::string RandomSuffix() {
  static std::atomic<uint64_t> calls{0};
  std::seed_seq seed{static_cast<uint64_t>(std::random_device{}()),
                     static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()),
                     calls.fetch_add(1)};
  std::mt19937_64 random(seed);
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix;
  for (int i = 0; i < 10; ++i) suffix += kDigits[random() % (sizeof kDigits - 1)];
  return suffix;
}

}  // namespace

std::filesystem::path CreateUniqueFolder(const std::filesystem::path& parent, const std::string& prefix) {
  std::error_code error;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::filesystem::path folder = parent / (prefix + RandomSuffix());
    // create_directory makes the folder or reports that the name is taken, in one step.
    if (std::filesystem::create_directory(folder, error)) return folder;
    if (error && error != std::errc::file_exists) break;
  }
  if (!error) error = std::make_error_code(std::errc::file_exists);
  throw std::filesystem::filesystem_error("cannot make a folder of its own", parent, error);
}

}  // namespace scratch
