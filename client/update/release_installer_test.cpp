#include "client/update/release_installer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "client/update/update_codes.h"
#include "client/update/update_constants.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

void Write(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The backup copies go to the program folder's Backup folder, and never through a link planted
// there: not a linked Backup folder, not a linked or second-named copy, not a pipe to read.
TEST(ReleaseInstallerTest, BackupCopiesAreNeverWrittenThroughALink) {
  hv::test::cTempFolder folder{"backup"};
  const std::string app = folder.path() + "/app";
  const std::string outside = folder.path() + "/outside.txt";
  Write(app + "/hearthview", "old program");
  fs::permissions(app + "/hearthview", fs::perms::owner_all);
  Write(app + "/Help.chm", "old help");
  Write(outside, "the user's own file");
  cInstallOptions options;
  options.program_path = app + "/hearthview";
  options.program_folder = app;
  options.backup_wanted = true;
  const cReleaseInstaller installer(options);
  std::vector<cStagedFile> files(3);
  files[0].final_path = app + "/hearthview";
  files[1].final_path = app + "/Help.chm";
  files[2].final_path = app + "/New.txt";
  const std::string backup =
      app + "/Backup/Version " + ThisVersionText() + " Build " + ThisBuildText();

  ASSERT_TRUE(installer.BackUp(files).ok());
  EXPECT_EQ(Read(backup + "/hearthview"), "old program");
  EXPECT_EQ(fs::status(backup + "/hearthview").permissions(), fs::perms::owner_all);
  EXPECT_EQ(Read(backup + "/Help.chm"), "old help");
  EXPECT_FALSE(fs::exists(backup + "/New.txt"));  // nothing there to keep

  // A copy planted as a link, or as a second name of another file.
  fs::remove(backup + "/Help.chm");
  fs::create_symlink(outside, backup + "/Help.chm");
  Status refused = installer.BackUp(files);
  EXPECT_TRUE(IsUpdateCode(refused, kCannotOpenFile)) << refused.ToString();
  fs::remove(backup + "/Help.chm");
  fs::create_hard_link(outside, backup + "/Help.chm");
  refused = installer.BackUp(files);
  EXPECT_NE(refused.message().find("not a plain file of its own"), std::string::npos)
      << refused.ToString();
  EXPECT_EQ(Read(outside), "the user's own file");

  // The Backup folder itself planted as a link.
  fs::remove_all(app + "/Backup");
  fs::create_directories(folder.path() + "/elsewhere");
  fs::create_directory_symlink(folder.path() + "/elsewhere", app + "/Backup");
  refused = installer.BackUp(files);
  EXPECT_TRUE(refused.failed());
  EXPECT_NE(refused.message().find("backup folder"), std::string::npos) << refused.ToString();
  EXPECT_TRUE(fs::is_empty(folder.path() + "/elsewhere"));

  // A pipe where a file to keep should be is refused at once, not waited on.
  fs::remove(app + "/Backup");
  fs::remove(app + "/Help.chm");
  ASSERT_EQ(mkfifo((app + "/Help.chm").c_str(), 0600), 0);
  refused = installer.BackUp(files);
  EXPECT_NE(refused.message().find("not a plain file"), std::string::npos) << refused.ToString();
}

}  // namespace

}  // namespace hv
