// Atomic replacement: the target changes only on commit, and nothing is left behind unless a
// crash is being simulated.
#include "core/file/file_replace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/status.h"
#include "core/testing/temp_folder.h"
#include "core/testing/text_file.h"

namespace hv {

namespace {

using hv::test::ReadText;

size_t EntryCount(const std::string& folder) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++count;
  }
  return count;
}

TEST(FileReplacementTest, TargetChangesOnlyOnCommitAndNothingStrayIsLeft) {
  hv::test::cTempFolder folder("replace");
  const std::string target = folder.File("target.txt");
  std::ofstream(target) << "old";
  {
    cFileReplacement dropped(target, ".t");
    ASSERT_TRUE(dropped.IsOpen());
    ASSERT_EQ(write(dropped.Descriptor(), "new", 3), 3);
  }
  EXPECT_EQ(ReadText(target), "old");
  EXPECT_EQ(EntryCount(folder.path()), 1u);

  {
    cFileReplacement replacement(target, ".t");
    ASSERT_EQ(write(replacement.Descriptor(), "new", 3), 3);
    ASSERT_TRUE(replacement.Commit(0644).ok());
  }
  EXPECT_EQ(ReadText(target), "new");
  EXPECT_EQ(EntryCount(folder.path()), 1u);
  struct stat info {};
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);

  std::string left_behind;
  {
    cFileReplacement crashed(target, ".t");
    left_behind = crashed.TemporaryPath();
    crashed.Abandon();
  }
  EXPECT_EQ(access(left_behind.c_str(), F_OK), 0);
  EXPECT_EQ(ReadText(target), "new");

  cFileReplacement nowhere(folder.File("no-such-folder/target.txt"), ".t");
  EXPECT_FALSE(nowhere.IsOpen());
  EXPECT_TRUE(nowhere.Commit(0644).Is(hv::Where::kFile, hv::kCannotOpenFile));
}

}  // namespace

}  // namespace hv
