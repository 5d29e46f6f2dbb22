// The client's shell starts the real restart program the way an update does: the program
// file, and the command line with each path in double quotes, split by the shell into
// arguments. Paths hold spaces, a dash and quotes of their own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "client/platform/spawn_shell.h"
#include "core/status.h"
#include "restart/testing/test_files.h"

namespace hv {

namespace {

std::string BinDir() {
  const char* bin = std::getenv("HV_BIN_DIR");
  return bin != nullptr ? bin : ".";
}

std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    std::string text = ReadFile(path);
    if (text != "<missing>" && text.size() > 1 && text.back() == '\n') return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "<missing>";
}

TEST(RestartHandoff, TheShellStartsRestartWhichSwapsInAndStartsTheNewBuild) {
  hv::test::cTempFolder folder("handoff");
  const std::string program = PathIn(folder, "Home Apps/hv-2 'beta'/hearthview");
  const std::string program_folder = program.substr(0, program.rfind('/'));
  const std::string standin = BinDir() + "/../tests/restart_standin";
  WriteFile(program, "old build", 0755);
  const std::string list = WriteStagedUpdate(program_folder, ".update-4242-abcdef",
                                             {{"hearthview.ex_", "hearthview", ReadFile(standin)}});
  const std::string fresh = program_folder + "/.update-4242-abcdef/hearthview.ex_";

  // What the client formats: "/F="%s" /D=10000 /C="%s" /T="%s" /P=%d /L="%s"", without the
  // wait here.
  const std::string parameters =
      "/F=\"" + program + "\" /D=0 /C=\"" + fresh + "\" /T=\"" + program + "\" /L=\"" + list + "\"";
  cSpawnShell shell;
  ASSERT_EQ(shell
                .Execute("open", (BinDir() + "/restart").c_str(), parameters.c_str(),
                         program_folder.c_str(), 1)
                .code(),
            hv::kOk);
  shell.WaitForChildren();

  EXPECT_EQ(ReadFile(program), ReadFile(standin));
  EXPECT_EQ(ReadFile(program_folder + "/hearthview.bak"), "old build");
  EXPECT_FALSE(FileExists(fresh));
  std::string started = WaitForFile(program_folder + "/started.txt");
  EXPECT_EQ(started, program_folder + "\n" + program + "\n");
}

}  // namespace

}  // namespace hv
