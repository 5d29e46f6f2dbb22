// An update cut off by a kill, through the real programs: restart is ended before each of
// its file steps in turn (a preloaded library picks the moment), and then the real hearthview
// is started from the program folder. The program path must run whatever the moment was, and
// the client's start must leave one release in place, old or new, with no staging folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/testing/program_run.h"
#include "core/testing/temp_folder.h"
#include "restart/testing/test_files.h"

namespace hv {

namespace {

namespace fs = std::filesystem;

constexpr int kKilled = 77;  // the exit status the preloaded library ends a process with
constexpr int kNoDesktop = 1;

std::string BuiltProgram(const char* name) {
  const char* bin = std::getenv("HV_BIN_DIR");
  return std::string(bin != nullptr ? bin : ".") + "/" + name;
}

// The test's environment without a desktop or a session bus, with `set` added.
std::vector<std::string> QuietEnvironment(const std::vector<std::string>& set = {}) {
  return hv::test::EnvironmentWith(
      {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"}, set);
}

// Runs restart as the client starts it, ended before its step `step` (or not at all when it
// has fewer). Its exit status.
int RestartKilledAt(int step, const std::string& program, const std::string& list,
                    const std::string& errors) {
  const std::string staged = list.substr(0, list.rfind('/')) + "/hearthview.ex_";
  // A sanitizer's runtime wants to come first; the preloaded library does not mind.
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string asan_options =
      std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0";
  return hv::test::RunProgram(
             {.program = BuiltProgram("restart"),
              .arguments = {"/F=true", "/D=0", "/C=" + staged, "/T=" + program, "/L=" + list},
              .environment = QuietEnvironment({"LD_PRELOAD=" HV_KILL_AT_STEP_LIBRARY,
                                               "HV_KILL_AT_STEP=" + std::to_string(step),
                                               "ASAN_OPTIONS=" + asan_options}),
              .errors = errors})
      .code;
}

int RunClient(const std::string& program, const std::vector<std::string>& arguments,
              const std::string& errors) {
  return hv::test::RunProgram({.program = program,
                               .arguments = arguments,
                               .environment = QuietEnvironment(),
                               .errors = errors})
      .code;
}

// A staging folder `name` in `app` as the client leaves it: the new program (a copy of
// `new_build`, whose SHA-256 is `new_hash`) and a new help file, and their list.
std::string StageUpdate(const std::string& app, const std::string& name,
                        const std::string& new_build, const std::string& new_hash) {
  const std::string staging = app + "/" + name;
  fs::create_directory(staging);
  fs::permissions(staging, fs::perms::owner_all);
  // Copied in the kernel: the program is large, and a sanitizer's build is larger still.
  fs::copy_file(new_build, staging + "/hearthview.ex_");
  WriteFile(staging + "/Help.chm", "new help");
  WriteFile(staging + "/restart.list",
            "hearthview restart list 1\n" + Sha256Hex("new help") + "\tHelp.chm\tHelp.chm\n" +
                new_hash + "\thearthview.ex_\thearthview\n",
            0600);
  return staging + "/restart.list";
}

TEST(InterruptedUpdate, TheClientsStartSettlesWhatAKilledRestartLeft) {
  const std::string built = BuiltProgram("hearthview");
  hv::test::cTempFolder releases{"releases"};
  // The loader reads only what the program's headers name: bytes after them change nothing
  // but the file, which is what tells the two releases apart.
  const std::string new_build = releases.path() + "/hearthview";
  fs::copy_file(built, new_build);
  { std::ofstream(new_build, std::ios::app | std::ios::binary) << "\nthe next release\n"; }
  const std::string new_bytes = ReadFile(new_build);
  ASSERT_NE(new_bytes, "<missing>");
  const std::string new_hash = Sha256Hex(new_bytes);
  int kills = 0;
  for (int step = 0; step < 100; ++step) {
    SCOPED_TRACE("restart killed before step " + std::to_string(step));
    hv::test::cTempFolder folder{"interrupted"};
    const std::string app = folder.path() + "/app";
    const std::string program = app + "/hearthview";
    const std::string errors = folder.path() + "/stderr.txt";
    fs::create_directories(app);
    std::error_code linked;
    fs::create_hard_link(built, program, linked);
    if (linked) fs::copy_file(built, program);
    WriteFile(app + "/Help.chm", "old help", 0640);
    const std::string staging = DeadStagingName();
    const std::string list = StageUpdate(app, staging, new_build, new_hash);

    const int ended = RestartKilledAt(step, program, list, errors);
    ASSERT_TRUE(ended == kKilled || ended == 0) << ended << ": " << ReadFile(errors);
    // The program path runs, whichever program it names now: it starts, settles before it
    // looks for a desktop (so it needs none here), and says that there is none. The settling
    // leaves the program file as it is.
    EXPECT_EQ(RunClient(program, {}, errors), kNoDesktop) << ReadFile(errors);
    const bool is_new = fs::file_size(program) == new_bytes.size();
    EXPECT_EQ(ReadFile(app + "/Help.chm"), is_new ? "new help" : "old help");
    EXPECT_EQ(FileMode(app + "/Help.chm"), 0640u);
    EXPECT_FALSE(fs::exists(app + "/" + staging));
    if (ended == 0) {
      EXPECT_TRUE(is_new);
      break;
    }
    ++kills;
  }
  // Every step of a swap of two files, from the first mode set to the staging folder's removal.
  EXPECT_GE(kills, 6);
}

}  // namespace

}  // namespace hv
