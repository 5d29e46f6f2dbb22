// The shell starts real processes: a fake "xdg-open" put first on PATH records what it was
// asked to open, and small scripts record their arguments and working directory.
#include "client/platform/spawn_shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/status.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteScript(const std::string& path, const std::string& body) {
  std::ofstream(path) << "#!/bin/sh\n" << body;
  chmod(path.c_str(), 0755);
}

class SpawnShellTest : public ::testing::Test {
 protected:
  SpawnShellTest() {
    // The fake opener writes each argument on its own line.
    WriteScript(dir + "/xdg-open",
                "for a in \"$@\"; do echo \"$a\"; done > \"" + dir + "/opened\"\n");
    WriteScript(dir + "/tool", "pwd > \"" + dir +
                                   "/tool.out\"; for a in \"$@\"; do echo \"$a\"; "
                                   "done >> \"" +
                                   dir + "/tool.out\"\n");
    const char* path = std::getenv("PATH");
    old_path = path != nullptr ? path : "";
    setenv("PATH", (dir + ":" + old_path).c_str(), 1);
  }
  ~SpawnShellTest() override { setenv("PATH", old_path.c_str(), 1); }

  hv::test::cTempFolder folder{"hvshell"};
  const std::string dir = folder.path();
  std::string old_path;
  cSpawnShell shell;
};

TEST_F(SpawnShellTest, OpenRunsTheOpenerFoundOnPath) {
  ASSERT_EQ(shell.Open("/some/picture file.jpg").code(), hv::kOk);
  shell.WaitForChildren();
  EXPECT_EQ(ReadFile(dir + "/opened"), "/some/picture file.jpg\n");
  EXPECT_EQ(shell.Open("").code(), hv::kMissingArgument);
  // With no opener on PATH the shell says so, rather than that the file cannot be opened.
  setenv("PATH", (dir + "/nothing-here").c_str(), 1);
  const Status no_opener = shell.Open("/some/picture file.jpg");
  EXPECT_TRUE(no_opener.Is(Where::kUi, hv::kNoOpener)) << no_opener.ToString();
  EXPECT_NE(no_opener.message().find("xdg-open"), std::string::npos) << no_opener.ToString();
  setenv("PATH", (dir + ":" + old_path).c_str(), 1);
  EXPECT_EQ(shell.Open(nullptr).code(), hv::kMissingArgument);
}

TEST_F(SpawnShellTest, ProgramsStartDirectlyWithSplitArgumentsInTheirDirectory) {
  std::filesystem::create_directory(dir + "/work");
  ASSERT_EQ(shell
                .Execute("open", (dir + "/tool").c_str(), "-x \"a b\" $(touch pwned)",
                         (dir + "/work").c_str(), 1)
                .code(),
            hv::kOk);
  shell.WaitForChildren();
  EXPECT_EQ(ReadFile(dir + "/tool.out"), dir + "/work\n-x\na b\n$(touch\npwned)\n");
  EXPECT_FALSE(std::filesystem::exists(dir + "/work/pwned"));

  // A relative name is found in the given directory; a bare name on PATH; a missing
  // directory is not used.
  std::filesystem::remove(dir + "/tool.out");
  ASSERT_EQ(shell.Execute("", "tool", "1", (dir + "/nowhere").c_str(), 1).code(), hv::kOk);
  shell.WaitForChildren();
  EXPECT_NE(ReadFile(dir + "/tool.out").find("\n1\n"), std::string::npos);
}

TEST_F(SpawnShellTest, DocumentsAreOpenedAndOtherVerbsAreNotGuessed) {
  std::ofstream(dir + "/notes.txt") << "x";
  ASSERT_EQ(shell.Execute("open", "notes.txt", "", dir.c_str(), 1).code(), hv::kOk);
  shell.WaitForChildren();
  EXPECT_EQ(ReadFile(dir + "/opened"), dir + "/notes.txt\n");
  EXPECT_EQ(shell.Execute("open", nullptr, nullptr, nullptr, 1).code(), hv::kMissingArgument);
  EXPECT_EQ(shell.Execute("print", (dir + "/notes.txt").c_str(), "", "", 1).code(),
            hv::kUnexpectedType);
  EXPECT_EQ(shell.Execute("open", (dir + "/missing.txt").c_str(), "", "", 1).code(),
            hv::kCannotOpenFile);
  // A missing program is not reported as a missing opener: the opener was never asked.
  const Status missing = shell.Execute("open", "no-such-program-hv", "", "", 1);
  EXPECT_TRUE(missing.Is(Where::kUi, hv::kCannotOpenFile)) << missing.ToString();
  EXPECT_NE(missing.message().find("no-such-program-hv"), std::string::npos);
}

}  // namespace

}  // namespace hv
