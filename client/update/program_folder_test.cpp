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
  struct stat info {};
  ASSERT_EQ(stat((program + ".ex_").c_str(), &info), 0);

  // Just downloaded: a restart helper may still be waiting to swap it in.
  EXPECT_EQ(hv::RemoveUpdateLeftovers(program, info.st_ctim.tv_sec + 10), 2);
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_FALSE(fs::exists(old_style));
  EXPECT_TRUE(fs::exists(ours));
  EXPECT_TRUE(fs::exists(program + ".ex_"));
  EXPECT_EQ(hv::RemoveUpdateLeftovers(program, info.st_ctim.tv_sec + hv::kStaleProgramSeconds + 1),
            1);
  EXPECT_FALSE(fs::exists(program + ".ex_"));
  EXPECT_TRUE(fs::exists(program));
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
