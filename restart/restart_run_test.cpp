#include "restart/restart_run.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "restart/staging_folder.h"
#include "restart/testing/fake_restart_host.h"
#include "restart/testing/test_files.h"

namespace hv {

namespace {

int RunWith(const std::vector<std::string>& args, cFakeRestartHost& host) {
  std::vector<const char*> argv = {"restart"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  cSwapFiles files;
  return RunRestart(static_cast<int>(argv.size()), argv.data(), host, files);
}

TEST(RestartRun, TheClientsCommandLineSwapsWaitsAndLaunchesInTheProgramsFolder) {
  hv::test::cTempFolder folder{"restart"};
  const std::string program = PathIn(folder, "A B/hearthview");
  const std::string app = folder.path() + "/A B";
  WriteFile(program, "old build", 0755);
  WriteFile(PathIn(folder, "A B/hearthview.bak"), "older build");
  const std::string list = WriteStagedUpdate(app, ".update-4242-abcdef",
                                             {{"hearthview.ex_", "hearthview", "new build"}});
  const std::string fresh = app + "/.update-4242-abcdef/hearthview.ex_";
  // What a run killed before it moved the program left: a data file already swapped in, and
  // the old one beside it. This start puts the old one back before it does its own work.
  WriteFile(app + "/Help.chm", "newer help");
  const std::string leftover = DeadStagingName();
  WriteStagedUpdate(
      app, leftover,
      {{"Help.chm", "Help.chm", "newer help"}, {"hearthview.ex_", "hearthview", "newer build"}});
  std::remove((app + "/" + leftover + "/Help.chm").c_str());
  WriteFile(PathIn(folder, "A B/" + leftover + "/old/0"), "old help");

  // What the client writes, as its own argument splitting hands it over.
  cFakeRestartHost host(1000);
  EXPECT_EQ(
      RunWith({"/F=" + program, "/D=10000", "/C=" + fresh, "/T=" + program, "/L=" + list}, host),
      kRestartExitOk);
  EXPECT_EQ(ReadFile(app + "/Help.chm"), "old help");
  EXPECT_FALSE(FileExists(app + "/" + leftover));
  EXPECT_FALSE(FileExists(app + "/.update-4242-abcdef"));
  EXPECT_EQ(host.paused, 10000u);
  EXPECT_EQ(ReadFile(program), "new build");
  EXPECT_EQ(ReadFile(folder.path() + "/A B/hearthview.bak"), "old build");
  EXPECT_FALSE(FileExists(fresh));
  ASSERT_EQ(host.launches.size(), 1u);
  EXPECT_EQ(host.launches[0].program, program);
  EXPECT_EQ(host.launches[0].directory, folder.path() + "/A B/");
  EXPECT_EQ(host.launches[0].at, 11000u);  // after the wait
  EXPECT_EQ(host.beeps, 0);
  EXPECT_TRUE(host.messages.empty());
}

TEST(RestartRun, TheWait) {
  struct Case {
    std::vector<std::string> args;
    uint32_t start;
    uint64_t waited;
  } cases[] = {
      {{"/F=p"}, 5000, 2000},  // no D: 2000 ms
      {{"/F=p", "/D=0"}, 5000, 0},
      {{"/F=p", "/D=-5"}, 5000, 0},              // a negative delay does not wait for ever
      {{"/F=p", "/D=1000"}, 0xFFFFFF00u, 1000},  // the clock wraps during the wait
      {{"/F=p", "/D=\"1000\""}, 5000, 0},        // a quoted delay reads as 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    cFakeRestartHost host(c.start);
    EXPECT_EQ(RunWith(c.args, host), kRestartExitOk);
    EXPECT_EQ(host.paused, c.waited);
    EXPECT_EQ(host.launches.size(), 1u);
  }
}

TEST(RestartRun, BadParametersAreShownAndTheRunGoesOn) {
  cFakeRestartHost host;
  EXPECT_EQ(RunWith({"/Q=1", "/F=a", "/F=b", "/D=0"}, host), kRestartExitOk);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].caption, "Bad command line parameter");
  EXPECT_EQ(host.messages[0].text, "Invalid parameter of \"Q\" with data of \"1\"");
  EXPECT_EQ(host.messages[1].text, "Invalid parameter of \"F\" with data of \"b\"");
  ASSERT_EQ(host.launches.size(), 1u);
  EXPECT_EQ(host.launches[0].program, "b");
  EXPECT_EQ(host.launches[0].directory, "");
}

TEST(RestartRun, AMissingNewFileMovesNothingAndStillLaunches) {
  hv::test::cTempFolder folder{"restart"};
  const std::string program = PathIn(folder, "p");
  WriteFile(program, "old build", 0755);
  cFakeRestartHost host;
  EXPECT_EQ(RunWith({program, "/D=0", "/C=" + folder.path() + "/gone.ex_", "/T=" + program}, host),
            kRestartExitNotReplaced);
  EXPECT_EQ(host.beeps, 1);
  EXPECT_EQ(ReadFile(program), "old build");
  EXPECT_FALSE(FileExists(folder.path() + "/p.bak"));
  ASSERT_EQ(host.launches.size(), 1u);
  EXPECT_EQ(host.launches[0].program, program);  // a bare first value is the program
}

TEST(RestartRun, AFailedLaunchIsShown) {
  cFakeRestartHost host;
  host.launch_error = ENOENT;
  EXPECT_EQ(RunWith({"/F=/x/y z/p", "/D=0"}, host), kRestartExitLaunchFailed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].caption, "Error");
  EXPECT_EQ(host.messages[0].text, "Couldn't open \"/x/y z/p\"");

  // No program at all still goes to the launch, which fails, and is shown with an empty name.
  cFakeRestartHost empty;
  empty.launch_error = ENOENT;
  EXPECT_EQ(RunWith({"/D=0"}, empty), kRestartExitLaunchFailed);
  ASSERT_EQ(empty.launches.size(), 1u);
  EXPECT_EQ(empty.launches[0].program, "");
  ASSERT_EQ(empty.messages.size(), 1u);
  EXPECT_EQ(empty.messages[0].text, "Couldn't open \"\"");
}

TEST(RestartRun, ProgramDirectory) {
  EXPECT_STREQ(ProgramDirectory("/a b/p").CStr(), "/a b/");
  EXPECT_STREQ(ProgramDirectory("/p").CStr(), "/");
  EXPECT_STREQ(ProgramDirectory("p").CStr(), "");
  EXPECT_STREQ(ProgramDirectory(R"(odd\name:1/p)").CStr(), R"(odd\name:1/)");
  EXPECT_STREQ(ProgramDirectory("/x/odd\\name").CStr(), "/x/");
}

}  // namespace

namespace {

TEST(RestartRun, WaitsForTheHandingOverProcessAndRefusesWhileItRuns) {
  hv::test::cTempFolder folder{"restart"};
  const std::string program = PathIn(folder, "hearthview");
  const std::string list = WriteStagedUpdate(folder.path(), ".update-4242-abcdef",
                                             {{"n.ex_", "hearthview", "new build"}});
  const std::string fresh = folder.path() + "/.update-4242-abcdef/n.ex_";
  const std::vector<std::string> args = {"/F=" + program, "/D=10000", "/C=" + fresh,
                                         "/T=" + program, "/P=4242",  "/L=" + list};
  WriteFile(program, "old build", 0755);

  // The client ends after 1.5 s: the swap follows at once, not after the whole 10 s.
  cFakeRestartHost host;
  host.process_runs_for = 1500;
  EXPECT_EQ(RunWith(args, host), kRestartExitOk);
  EXPECT_GE(host.paused, 1500u);
  EXPECT_LT(host.paused, 2000u);
  EXPECT_EQ(host.process_checks.front(), 4242);
  EXPECT_EQ(ReadFile(program), "new build");
  ASSERT_EQ(host.launches.size(), 1u);

  // A client that is still there after the 10 s: nothing is moved and nothing started.
  WriteStagedUpdate(folder.path(), ".update-4242-abcdef", {{"n.ex_", "hearthview", "newer build"}});
  cFakeRestartHost stuck;
  stuck.process_runs_for = UINT32_MAX;
  EXPECT_EQ(RunWith(args, stuck), kRestartExitStillRunning);
  EXPECT_EQ(stuck.paused, 10000u);
  EXPECT_EQ(ReadFile(program), "new build");
  EXPECT_EQ(ReadFile(fresh), "newer build");
  EXPECT_TRUE(stuck.launches.empty());
  ASSERT_EQ(stuck.messages.size(), 1u);
  EXPECT_NE(stuck.messages[0].text.find("is still running"), std::string::npos);
}

// A run at work holds its staging folder: a second run of the same update does nothing, and
// a client starting meanwhile settles nothing there; once the holder is gone (however it
// ended), the folder is settled like any other leftover.
TEST(RestartRun, AStagingFolderThatARunHoldsIsLeftAlone) {
  hv::test::cTempFolder folder{"restart"};
  const std::string program = PathIn(folder, "hearthview");
  WriteFile(program, "old build", 0755);
  const std::string name = DeadStagingName();
  const std::string list =
      WriteStagedUpdate(folder.path(), name, {{"n.ex_", "hearthview", "new build"}});
  const std::string fresh = folder.path() + "/" + name + "/n.ex_";
  cFd holder = OpenFolderPath(folder.path() + "/" + name);
  ASSERT_TRUE(holder.ok() && LockStagingFolder(holder.get()));

  cFakeRestartHost second;
  EXPECT_EQ(
      RunWith({"/F=" + program, "/D=0", "/C=" + fresh, "/T=" + program, "/L=" + list}, second),
      kRestartExitStillRunning);
  EXPECT_TRUE(second.launches.empty());
  cSwapFiles files;
  cFakeRestartHost client;
  EXPECT_EQ(CleanUpLeftovers(program, "", files, client), 0);
  EXPECT_EQ(ReadFile(program), "old build");
  EXPECT_EQ(ReadFile(fresh), "new build");

  holder.Reset(-1);
  EXPECT_EQ(CleanUpLeftovers(program, "", files, client), 1);
  EXPECT_FALSE(FileExists(folder.path() + "/" + name));
  EXPECT_EQ(ReadFile(program), "old build");
}

}  // namespace

}  // namespace hv
