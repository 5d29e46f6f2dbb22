// The hearthview program itself, started from $HV_BIN_DIR with an environment of the test's
// choosing: its command line and a missing desktop are handled before the toolkit starts,
// with words and exit codes rather than a toolkit abort.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/testing/program_run.h"
#include "tests/housesim_program.h"

namespace hv {

namespace {

struct Outcome : hv::test::cProgramEnd {
  std::string out;
  std::string err;
};

using hv::test::ReadText;

// Runs hearthview with `arguments`. The display variables are taken out of the environment;
// `set` (NAME=value entries) puts back the ones a case wants.
Outcome RunHearthview(const std::vector<std::string>& arguments,
                      const std::vector<std::string>& set = {}) {
  const char* tmp = std::getenv("TMPDIR");
  std::string program = hv::test::BuiltProgram("hearthview");
  // ctest runs each case as a process of its own, several at once in one TMPDIR: the files
  // carry the process's id so that no case reads or removes another's.
  const std::string base = std::string(tmp != nullptr ? tmp : "/tmp") +
                           "/hearthview-program-test-" + std::to_string(getpid());
  const std::string out_path = base + ".out";
  const std::string err_path = base + ".err";

  const hv::test::cProgramRun run{.program = program,
                                .arguments = arguments,
                                .environment = hv::test::EnvironmentWith(
                                    {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, set),
                                .output = out_path,
                                .errors = err_path};
  // None of these cases opens a window, so each ends at once; a hang is a failure.
  Outcome outcome{hv::test::RunProgram(run), ReadText(out_path), ReadText(err_path)};
  EXPECT_TRUE(outcome.started) << "cannot start " << program << ": " << outcome.start_error;
  EXPECT_FALSE(outcome.hung) << "hearthview did not end";
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
  Outcome outcome = RunHearthview({"--frobnicate"}, {"QT_QPA_PLATFORM=offscreen"});
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
  Outcome silent = RunHearthview({}, {"DISPLAY=:987", "QT_QPA_PLATFORM=xcb"});
  EXPECT_TRUE(silent.exited) << "ended by a signal";
  EXPECT_EQ(silent.code, 1);
  EXPECT_NE(silent.err.find("cannot start the graphical session"), std::string::npos) << silent.err;
}

}  // namespace

}  // namespace hv
