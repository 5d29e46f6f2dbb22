// The hearthview program itself, started from $HV_BIN_DIR with an environment of the test's
// choosing: its command line and a missing desktop are handled before the toolkit starts,
// with words and exit codes rather than a toolkit abort.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/housesim_program.h"

namespace {

struct Outcome {
  bool exited = false;  // ended by itself, not by a signal (an abort would be one)
  int code = -1;
  std::string out;
  std::string err;
};

using hvtest::ReadText;

// Runs hearthview with `arguments`. The display variables are taken out of the environment;
// `set` puts back the ones a case wants.
Outcome RunHearthview(const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& set = {}) {
  const char* tmp = std::getenv("TMPDIR");
  std::string program = hvtest::BuiltProgram("hearthview");
  // ctest runs each case as a process of its own, several at once in one TMPDIR: the files
  // carry the process's id so that no case reads or removes another's.
  const std::string base = std::string(tmp != nullptr ? tmp : "/tmp") +
                           "/hearthview-program-test-" + std::to_string(getpid());
  const std::string out_path = base + ".out";
  const std::string err_path = base + ".err";

  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM") continue;
    environment.push_back(entry);
  }
  for (const auto& [name, value] : set) {
    environment.push_back(std::string(name).append("=").append(value));
  }
  std::vector<char*> envp;
  envp.reserve(environment.size() + 1);
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> args{program};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t pid = -1;
  Outcome outcome;
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << program << ": " << std::strerror(spawned);
    return outcome;
  }
  // None of these cases opens a window, so each ends at once; a hang is a failure.
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "hearthview did not end";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  outcome.exited = WIFEXITED(status);
  outcome.code = outcome.exited ? WEXITSTATUS(status) : -1;
  outcome.out = ReadText(out_path);
  outcome.err = ReadText(err_path);
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  return outcome;
}

TEST(HearthviewProgramTest, HelpAndVersionNeedNoDesktop) {
  Outcome help = RunHearthview({"--help"});
  EXPECT_TRUE(help.exited);
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.out.rfind("Usage: hearthview", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");

  Outcome version = RunHearthview({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out.rfind("hearthview (Varnholt (TM) Client) ", 0), 0u) << version.out;
  EXPECT_NE(version.out.find(", build "), std::string::npos) << version.out;
}

TEST(HearthviewProgramTest, AnUnknownOptionIsAUsageError) {
  Outcome outcome = RunHearthview({"--frobnicate"}, {{"QT_QPA_PLATFORM", "offscreen"}});
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(outcome.code, 2);
  EXPECT_NE(outcome.err.find("unknown option \"--frobnicate\""), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("hearthview --help"), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.out, "");
}

TEST(HearthviewProgramTest, WithoutADesktopItSaysSoAndEndsWithoutACoreDump) {
  Outcome none = RunHearthview({});
  EXPECT_TRUE(none.exited) << "ended by a signal";
  EXPECT_EQ(none.code, 1);
  EXPECT_NE(none.err.find("needs a graphical session"), std::string::npos) << none.err;

  // A display that is named but does not answer is only found out by the toolkit itself.
  Outcome silent = RunHearthview({}, {{"DISPLAY", ":987"}, {"QT_QPA_PLATFORM", "xcb"}});
  EXPECT_TRUE(silent.exited) << "ended by a signal";
  EXPECT_EQ(silent.code, 1);
  EXPECT_NE(silent.err.find("cannot start the graphical session"), std::string::npos) << silent.err;
}

}  // namespace
