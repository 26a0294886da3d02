// Folders of one's own in a shared folder: what the tests' scratch folders and
// corvane-sim's run folder are made with.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "UniqueFolder.h"
#include "common/ScratchFolder.h"

namespace {
namespace fs = std::filesystem;

// Threads making folders at the same time, as copies of a test program do:
// every folder is new, empty and named with the prefix.
TEST(UniqueFolder, CallsAtTheSameTimeGetFoldersOfTheirOwn) {
  const ScratchFolder parent("glimmerfade-unique-");
  constexpr int kThreads = 4;
  constexpr int kEach = 50;
  std::vector<std::vector<fs::path>> made(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) made[t].push_back(scratch::CreateUniqueFolder(parent.path, "run-"));
    });
  for (std::thread& thread : threads) thread.join();

  std::set<fs::path> distinct;
  for (const std::vector<fs::path>& folders : made) {
    for (const fs::path& folder : folders) {
      EXPECT_EQ(folder.parent_path(), parent.path);
      EXPECT_EQ(folder.filename().string().rfind("run-", 0), 0u) << folder;
      EXPECT_TRUE(fs::is_directory(folder)) << folder;
      EXPECT_TRUE(fs::is_empty(folder)) << folder;
      distinct.insert(folder);
    }
  }
  EXPECT_EQ(distinct.size(), static_cast<size_t>(kThreads * kEach));
}

// A parent that cannot take a folder is an error, not a folder elsewhere.
TEST(UniqueFolder, AParentThatCannotTakeAFolderThrows) {
  const ScratchFolder scratch("glimmerfade-unique-");
  const fs::path file = scratch.path / "a-file";
  { std::ofstream(file) << "not a folder"; }
  for (const fs::path& parent : {scratch.path / "missing", file}) {
    SCOPED_TRACE(parent.string());
    EXPECT_THROW(scratch::CreateUniqueFolder(parent, "run-"), fs::filesystem_error);
  }
}

}  // namespace
