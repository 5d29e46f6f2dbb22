// The restart program itself, started from $HV_BIN_DIR, swapping in a tiny stand-in program
// and starting it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/testing/program_run.h"
#include "restart/testing/test_files.h"

namespace hv {

namespace {

std::string BinDir() {
  const char* bin = std::getenv("HV_BIN_DIR");
  return bin != nullptr ? bin : ".";
}

// The stand-in is built beside the test binaries.
std::string StandIn() { return BinDir() + "/../tests/restart_standin"; }

struct Finished {
  int exit_code = -1;
  std::string errors;
};

// Runs restart with `args` and waits for it. The environment is ours without a session bus,
// so no notification reaches the desktop, unless `extra_env` gives one.
Finished StartRestart(const std::vector<std::string>& args, const std::string& error_file,
                      const std::vector<std::string>& extra_env = {}) {
  Finished result;
  result.exit_code =
      hv::test::RunProgram({.program = BinDir() + "/restart",
                            .arguments = args,
                            .environment = hv::test::EnvironmentWith(
                                {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"}, extra_env),
                            .errors = error_file})
          .code;
  result.errors = ReadFile(error_file);
  return result;
}

// The started program runs on after restart has ended: wait (bounded) for what it writes.
std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    std::string text = ReadFile(path);
    if (text != "<missing>" && !text.empty() && text.back() == '\n' &&
        std::count(text.begin(), text.end(), '\n') >= 2) {
      return text;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "<missing>";
}

class RestartProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    program = PathIn(folder, "My Apps/hv-2 'x'/hearthview");
    folder_path = program.substr(0, program.rfind('/'));
    WriteFile(program, "old build", 0755);
    // As the client leaves it: the new build (not yet runnable) and its list.
    list = WriteStagedUpdate(folder_path, ".update-4242-abcdef",
                             {{"hearthview.ex_", "hearthview", ReadFile(StandIn())}});
    fresh = folder_path + "/.update-4242-abcdef/hearthview.ex_";
    errors = PathIn(folder, "stderr.txt");
  }

  void ExpectSwappedAndStarted() {
    EXPECT_EQ(ReadFile(program), ReadFile(StandIn()));
    EXPECT_EQ(ReadFile(folder_path + "/hearthview.bak"), "old build");
    EXPECT_FALSE(FileExists(fresh));
    EXPECT_EQ(FileMode(program), 0755u);
    EXPECT_EQ(WaitForFile(folder_path + "/started.txt"), folder_path + "\n" + program + "\n");
  }

  hv::test::cTempFolder folder{"restart"};
  std::string folder_path, program, fresh, list, errors;
};

TEST_F(RestartProgram, SwapsAndStartsWithTheArgumentsSplitByTheClient) {
  Finished run =
      StartRestart({"/F=" + program, "/D=0", "/C=" + fresh, "/T=" + program, "/L=" + list}, errors);
  EXPECT_EQ(run.exit_code, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  ExpectSwappedAndStarted();
}

TEST_F(RestartProgram, SwapsAndStartsWithTheClientsLineInOnePiece) {
  std::string line =
      "/F=\"" + program + "\" /D=0 /C=\"" + fresh + "\" /T=\"" + program + "\" /L=\"" + list + "\"";
  Finished run = StartRestart({line}, errors);
  EXPECT_EQ(run.exit_code, 0) << run.errors;
  ExpectSwappedAndStarted();
}

TEST_F(RestartProgram, ABadParameterIsShownOnStderrAndOnTheDesktopAndTheRunGoesOn) {
  // A notifier of our own, first on PATH, with a session bus that is only named.
  const std::string tools = PathIn(folder, "tools/notify-send");
  const std::string notified = folder.path() + "/notified.txt";
  WriteFile(tools, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + notified + "'\n", 0755);
  const char* path = std::getenv("PATH");
  Finished run = StartRestart(
      {"/Q=1", "/F=" + program, "/D=0", "/C=" + fresh, "/T=" + program, "/L=" + list}, errors,
      {"PATH=" + folder.path() + "/tools:" + (path != nullptr ? path : "/usr/bin:/bin"),
       "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(
      run.errors.find(
          "restart: Bad command line parameter: Invalid parameter of \"Q\" with data of \"1\"\n"),
      std::string::npos)
      << run.errors;
  ExpectSwappedAndStarted();
  std::string sent = WaitForFile(notified);
  EXPECT_NE(
      sent.find("Bad command line parameter\nInvalid parameter of \"Q\" with data of \"1\"\n"),
      std::string::npos)
      << sent;
}

TEST_F(RestartProgram, AProgramThatCannotStartIsReported) {
  Finished run = StartRestart({"/F=" + folder_path + "/missing", "/D=0"}, errors);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.errors.find("restart: Error: Couldn't open \"" + folder_path + "/missing\""),
            std::string::npos)
      << run.errors;
  // Nothing was asked to be replaced, so nothing was.
  EXPECT_EQ(ReadFile(program), "old build");
}

TEST_F(RestartProgram, HelpAndVersionAnswerAloneAndTouchNothing) {
  const std::string output = PathIn(folder, "stdout.txt");
  for (const std::string argument : {"--help", "--version"}) {
    SCOPED_TRACE(argument);
    const hv::test::cProgramEnd end = hv::test::RunProgram({.program = BinDir() + "/restart",
                                                            .arguments = {argument},
                                                            .output = output,
                                                            .errors = errors});
    EXPECT_EQ(end.code, 0);
    EXPECT_EQ(ReadFile(errors), "");
    const std::string text = ReadFile(output);
    EXPECT_EQ(text.rfind(argument == "--help" ? "Usage: restart [/F="
                                              : "restart (Varnholt (TM) "
                                                "Client) ",
                         0),
              0u)
        << text;
  }
  EXPECT_EQ(ReadFile(program), "old build");
  EXPECT_TRUE(FileExists(fresh));
}

}  // namespace

}  // namespace hv
