#include "client/update/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/testing/temp_folder.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

void Touch(const std::string& path, fs::perms perms = fs::perms::owner_read) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path) << "x";
  fs::permissions(path, perms);
}

TEST(ProgramFolderTest, LeftoversOfACutOffRunGoAtTheNextStart) {
  hv::test::cTempFolder folder{"leftovers"};
  const std::string program = folder.path() + "/hearthview";
  Touch(program);
  // A child that has ended: its staging folder is a leftover; ours is a run under way.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string dead = folder.path() + "/.update-" + std::to_string(gone) + "-abc123";
  const std::string old_style = folder.path() + "/.update-Xy12Zq";
  const std::string ours = folder.path() + "/.update-" + std::to_string(getpid()) + "-def456";
  Touch(dead + "/hearthview.ex_");
  Touch(old_style + "/VH.BMP");
  Touch(ours + "/x");
  Touch(program + ".ex_");
  // A run whose helper was killed before it read its list: settled like the rest.
  const std::string handed_over = folder.path() + "/.update-" + std::to_string(gone) + "-ghi789";
  Touch(handed_over + "/restart.list");
  struct stat info {};
  ASSERT_EQ(stat((program + ".ex_").c_str(), &info), 0);

  // Just downloaded: a restart helper may still be waiting to swap it in.
  EXPECT_EQ(hv::RemoveUpdateLeftovers(program, info.st_ctim.tv_sec + 10), 3);
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_FALSE(fs::exists(old_style));
  EXPECT_TRUE(fs::exists(ours));
  EXPECT_FALSE(fs::exists(handed_over));
  EXPECT_TRUE(fs::exists(program + ".ex_"));
  EXPECT_EQ(hv::RemoveUpdateLeftovers(program, info.st_ctim.tv_sec + hv::kStaleProgramSeconds + 1),
            1);
  EXPECT_FALSE(fs::exists(program + ".ex_"));
  EXPECT_TRUE(fs::exists(program));
}

// A link planted in the program folder (or in its place) would send the update's files, and
// the folders made for them, elsewhere.
TEST(ProgramFolderTest, FoldersInsideTheProgramFolderAreNeverFollowedThroughALink) {
  hv::test::cTempFolder folder{"links"};
  const std::string app = folder.path() + "/app";
  const std::string elsewhere = folder.path() + "/elsewhere";
  fs::create_directories(app);
  fs::create_directories(elsewhere);
  fs::create_directory_symlink(elsewhere, folder.path() + "/linked-app");
  fs::create_directory_symlink(elsewhere, app + "/Help");

  EXPECT_EQ(hv::MakeStagingFolder(folder.path() + "/linked-app"), "");
  EXPECT_FALSE(hv::MakeParentFolders(app + "/Help/sub/page.htm", app));
  EXPECT_FALSE(
      hv::MakeParentFolders(folder.path() + "/linked-app/sub/x", folder.path() + "/linked-app"));
  EXPECT_TRUE(fs::is_empty(elsewhere));

  const std::string staging = hv::MakeStagingFolder(app);
  ASSERT_FALSE(staging.empty());
  EXPECT_EQ(fs::status(staging).permissions(), fs::perms::owner_all);
  ASSERT_TRUE(hv::MakeParentFolders(staging + "/docs/guide.txt", app));
  Touch(staging + "/docs/guide.txt");
  EXPECT_FALSE(
      hv::MoveIntoProgramFolder(staging + "/docs/guide.txt", app + "/Help/guide.txt", app));
  EXPECT_TRUE(fs::is_empty(elsewhere));
  EXPECT_TRUE(hv::MoveIntoProgramFolder(staging + "/docs/guide.txt", app + "/docs/guide.txt", app));
  EXPECT_TRUE(fs::exists(app + "/docs/guide.txt"));

  // Outside the program folder (the download folder) the user's own links are theirs.
  EXPECT_TRUE(hv::MakeParentFolders(folder.path() + "/linked-app/Updates/x", app));
  EXPECT_TRUE(fs::is_directory(elsewhere + "/Updates"));
}

TEST(ProgramFolderTest, SystemInstallAndWhereTheHelperIs) {
  EXPECT_TRUE(hv::IsSystemInstall("/usr/bin/hearthview", true));
  EXPECT_FALSE(hv::IsSystemInstall("/usr/local/bin/hearthview", true));
  EXPECT_FALSE(hv::IsSystemInstall("/home/u/hv/hearthview", true));
  EXPECT_TRUE(hv::IsSystemInstall("/opt/hv/hearthview", false));

  hv::test::cTempFolder folder{"helper"};
  const std::string beside = folder.path() + "/app";
  const std::string system = folder.path() + "/libexec";
  Touch(system + "/restart", fs::perms::owner_all);
  fs::create_directories(beside);
  EXPECT_EQ(hv::FindRestartProgram(beside, system), system + "/restart");
  Touch(beside + "/restart", fs::perms::owner_all);
  EXPECT_EQ(hv::FindRestartProgram(beside, system), beside + "/restart");
  EXPECT_EQ(hv::FindRestartProgram(folder.path() + "/none", folder.path() + "/none"), "");
}

}  // namespace

}  // namespace hv
