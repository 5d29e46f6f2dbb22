#include "client/update/restart_launch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "client/update/update_codes.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

TEST(RestartLaunchTest, AHelperThatCannotStartSaysWhichAndWhy) {
  const Status started = StartDetachedProcess("/nonexistent/restart", {"/P=1"}, "");
  EXPECT_TRUE(started.Is(Where::kUpdate, kRestartNotStarted)) << started.ToString();
  EXPECT_NE(started.message().find("/nonexistent/restart: "), std::string::npos);
  EXPECT_GT(started.message().size(), std::string("/nonexistent/restart: ").size());
}

TEST(RestartLaunchTest, TheListNamesOnlyPlainPathsInsideTheTwoFoldersWithTheirHashes) {
  const std::string hash(64, 'a');
  std::string text;
  ASSERT_TRUE(RestartListText("/opt/hv", "/opt/hv/.update-1-abc",
                              {{"/opt/hv/.update-1-abc/hv.ex_", "/opt/hv/hv", hash},
                               {"/opt/hv/.update-1-abc/docs/a b", "/opt/hv/docs/a b", hash}},
                              &text)
                  .ok());
  EXPECT_EQ(text, "hearthview restart list 1\n" + hash + "\thv.ex_\thv\n" + hash +
                      "\tdocs/a b\tdocs/a b\n");
  const cStagedUpdateFile refused[] = {
      {"/opt/hv/.update-1-abc/x", "/etc/passwd", hash},
      {"/opt/hv/.update-1-abc/x", "/opt/hv/../x", hash},
      {"/tmp/x", "/opt/hv/x", hash},
      {"/opt/hv/.update-1-abc/x\ty", "/opt/hv/x", hash},
      {"/opt/hv/.update-1-abc/x", "/opt/hv/x\n", hash},
      {"/opt/hv/.update-1-abc/x", "/opt/hv/x", std::string(63, 'a')},
      {"/opt/hv/.update-1-abc/x", "/opt/hv/x", std::string(64, 'g')},
  };
  for (const cStagedUpdateFile& file : refused) {
    const Status status = RestartListText("/opt/hv", "/opt/hv/.update-1-abc", {file}, &text);
    EXPECT_TRUE(status.Is(Where::kUpdate, kRestartNotStarted)) << file.target_path;
  }
}

TEST(RestartLaunchTest, TheListIsANewFileAndGoesWhenTheHelperDoesNotStart) {
  hv::test::cTempFolder folder{"launch"};
  const std::string staging = folder.path() + "/.update-1-abc";
  fs::create_directories(staging);
  cRestartHandOff hand_off;
  hand_off.restart_program = "/nonexistent/restart";
  hand_off.program_path = folder.path() + "/hv";
  hand_off.staging_folder = staging;
  hand_off.files = {{staging + "/hv.ex_", folder.path() + "/hv", std::string(64, '0')}};
  hand_off.pid = 42;

  // A name planted in the list's place is not written through.
  const std::string secret = folder.path() + "/secret";
  { std::ofstream(secret) << "mine"; }
  fs::create_symlink(secret, staging + "/restart.list");
  std::vector<std::string> arguments;
  const cProcessStarter starter = [&](const std::string&, const std::vector<std::string>& a,
                                      const std::string&) {
    arguments = a;
    return Status::Ok();
  };
  EXPECT_FALSE(LaunchRestart(hand_off, starter).ok());
  EXPECT_TRUE(arguments.empty());
  std::ifstream in(secret);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "mine");

  fs::remove(staging + "/restart.list");
  ASSERT_TRUE(LaunchRestart(hand_off, starter).ok());
  ASSERT_EQ(arguments.size(), 6u);
  EXPECT_EQ(arguments[5], "/L=\"" + staging + "/restart.list\"");
  EXPECT_EQ(fs::status(staging + "/restart.list").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);

  fs::remove(staging + "/restart.list");
  EXPECT_TRUE(LaunchRestart(hand_off, StartDetachedProcess).Is(Where::kUpdate, kRestartNotStarted));
  EXPECT_FALSE(fs::exists(staging + "/restart.list"));
}

}  // namespace

}  // namespace hv
