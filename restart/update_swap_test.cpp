#include "restart/update_swap.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "restart/staging_folder.h"
#include "restart/testing/fake_restart_host.h"
#include "restart/testing/stepping_swap_files.h"
#include "restart/testing/test_files.h"

namespace hv {

namespace {

// A program folder with an old release in it (the program, a help file only its owner may
// read) and the next release staged as the client leaves it: the program, the help file and
// a guide in a folder that does not exist yet.
class UpdateSwap : public ::testing::Test {
 public:
  void SetUp() override {
    program = PathIn(folder, "A B/hearthview");
    app = program.substr(0, program.rfind('/'));
    WriteFile(program, "old build", 0755);
    WriteFile(app + "/Help.chm", "old help", 0600);
    staging_name = ".update-" + std::to_string(getpid()) + "-abcdef";
    Stage("new build", "new help", "new guide");
  }

  void Stage(const std::string& program_bytes, const std::string& help, const std::string& guide) {
    list = WriteStagedUpdate(app, staging_name,
                             {{"Help.chm", "Help.chm", help},
                              {"hearthview.ex_", "hearthview", program_bytes},
                              {"docs/guide.txt", "docs/guide.txt", guide}});
    staging = app + "/" + staging_name;
    fresh = staging + "/hearthview.ex_";
  }

  cSwapResult Swap() {
    return SwapInUpdate({fresh.c_str(), program.c_str(), list.c_str()}, files, host);
  }

  void ExpectOldRelease() {
    EXPECT_EQ(ReadFile(program), "old build");
    EXPECT_EQ(FileMode(program), 0755u);
    EXPECT_EQ(ReadFile(app + "/Help.chm"), "old help");
    EXPECT_EQ(FileMode(app + "/Help.chm"), 0600u);
    EXPECT_FALSE(FileExists(app + "/docs/guide.txt"));
  }

  hv::test::cTempFolder folder{"restart"};
  std::string app, program, staging_name, staging, list, fresh;
  cSteppingSwapFiles files;
  cFakeRestartHost host;
};

TEST(BackupName, ReplacesTheExtension) {
  EXPECT_STREQ(BackupName(R"(C:\A B\p.exe)").CStr(), R"(C:\A B\p.bak)");
  EXPECT_STREQ(BackupName("/opt/hv/hearthview").CStr(), "/opt/hv/hearthview.bak");
  EXPECT_STREQ(BackupName("/opt/hv.d/hv.ex_").CStr(), "/opt/hv.d/hv.bak");
}

TEST_F(UpdateSwap, SwapsInEveryListedFileKeepsTheOldProgramAndRemovesTheStagingFolder) {
  WriteFile(app + "/hearthview.bak", "older build");
  EXPECT_EQ(Swap(), cSwapResult::kReplaced) << (host.notes.empty() ? "" : host.notes[0]);
  EXPECT_EQ(ReadFile(program), "new build");
  EXPECT_EQ(FileMode(program), 0755u);  // runnable like the old one
  EXPECT_EQ(ReadFile(app + "/hearthview.bak"), "old build");
  EXPECT_EQ(ReadFile(app + "/Help.chm"), "new help");
  EXPECT_EQ(FileMode(app + "/Help.chm"), 0600u);  // private like the old one
  EXPECT_EQ(ReadFile(app + "/docs/guide.txt"), "new guide");
  EXPECT_FALSE(FileExists(staging));
  EXPECT_EQ(host.beeps, 0);
  // The program moves last, after its mode is set: no chmod after any rename.
  ASSERT_FALSE(files.done.empty());
  EXPECT_EQ(files.done.back().rfind("remove", 0), 0u);
  size_t last_mode = 0, first_rename = files.done.size();
  for (size_t i = 0; i < files.done.size(); ++i) {
    if (files.done[i] == "set mode") last_mode = i;
    if (files.done[i].rfind("rename", 0) == 0 && first_rename == files.done.size())
      first_rename = i;
  }
  EXPECT_LT(last_mode, first_rename);
}

TEST_F(UpdateSwap, AFileThatIsNotTheListedOneChangesNothing) {
  struct Case {
    const char* what;
    void (*spoil)(UpdateSwap&);
  } cases[] = {
      {"a data file with other content",
       [](UpdateSwap& t) { WriteFile(t.staging + "/docs/guide.txt", "evil guide"); }},
      {"a program with other content", [](UpdateSwap& t) { WriteFile(t.fresh, "evil build"); }},
      {"no list", [](UpdateSwap& t) { t.list.clear(); }},
      {"a list that names another program",
       [](UpdateSwap& t) { t.fresh = t.staging + "/docs/guide.txt"; }},
      {"a list others may change", [](UpdateSwap& t) { chmod(t.staging.c_str(), 0777); }},
      {"a staged folder that is a link",
       [](UpdateSwap& t) {
         PathIn(t.folder, "elsewhere/guide.txt");
         WriteFile(t.folder.path() + "/elsewhere/guide.txt", "new guide");
         std::filesystem::remove_all(t.staging + "/docs");
         symlink((t.folder.path() + "/elsewhere").c_str(), (t.staging + "/docs").c_str());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Stage("new build", "new help", "new guide");
    c.spoil(*this);
    host.beeps = 0;
    EXPECT_EQ(Swap(), cSwapResult::kRefused);
    EXPECT_EQ(host.beeps, 1);
    ExpectOldRelease();
    EXPECT_FALSE(FileExists(app + "/hearthview.bak"));
    std::filesystem::remove_all(staging);
  }
}

// A link in the staging folder would have the swap install and make runnable a file of the
// user's elsewhere; a second name would have its mode changed through the staged one.
TEST_F(UpdateSwap, ALinkedNewProgramIsRefusedAndWhatItNamesIsUntouched) {
  const std::string secret = PathIn(folder, "private/secret");
  for (const bool hard : {false, true}) {
    SCOPED_TRACE(hard ? "hard link" : "symbolic link");
    Stage("my secret", "new help", "new guide");
    WriteFile(secret, "my secret", 0600);
    std::remove(fresh.c_str());
    ASSERT_EQ(hard ? link(secret.c_str(), fresh.c_str()) : symlink(secret.c_str(), fresh.c_str()),
              0);
    EXPECT_EQ(Swap(), cSwapResult::kRefused);
    EXPECT_EQ(FileMode(secret), 0600u);
    EXPECT_EQ(ReadFile(secret), "my secret");
    ExpectOldRelease();
    ASSERT_FALSE(host.notes.empty());
    EXPECT_NE(host.notes.back().find(hard ? "only this name" : "is a symbolic link"),
              std::string::npos)
        << host.notes.back();
    EXPECT_NE(host.notes.back().find("nothing was replaced"), std::string::npos);
  }
  // Nor is a target that is a link followed to replace what it names.
  Stage("new build", "new help", "new guide");
  std::remove((app + "/Help.chm").c_str());
  symlink(secret.c_str(), (app + "/Help.chm").c_str());
  EXPECT_EQ(Swap(), cSwapResult::kRefused);
  EXPECT_EQ(ReadFile(secret), "my secret");
  EXPECT_EQ(ReadFile(program), "old build");
}

TEST_F(UpdateSwap, AStepThatFailsPutsBackTheFilesAlreadySwapped) {
  for (const char* failing : {"rename hearthview.ex_", "link hearthview as", "rename guide.txt"}) {
    SCOPED_TRACE(failing);
    Stage("new build", "new help", "new guide");
    files.fail_when = failing;
    EXPECT_EQ(Swap(), cSwapResult::kRolledBack);
    ExpectOldRelease();
    EXPECT_FALSE(FileExists(staging));
    EXPECT_TRUE(host.messages.empty());
  }
}

// The program path as a user would start it: old or new, and runnable.
void ExpectRunnableProgram(const std::string& program, const std::string& old_bytes,
                           const std::string& new_bytes) {
  const std::string bytes = ReadFile(program);
  EXPECT_TRUE(bytes == old_bytes || bytes == new_bytes) << bytes;
  EXPECT_EQ(FileMode(program), 0755u);
}

// Runs a swap in a child process that is ended right before step `die_at`; true when it was
// ended there (false: the swap finished with fewer steps).
bool SwapKilledAt(int die_at, const std::string& failing, const cSwapRequest& request) {
  const pid_t child = fork();
  if (child == 0) {
    cSteppingSwapFiles files;
    files.die_at = die_at;
    files.fail_when = failing;
    cFakeRestartHost host;
    SwapInUpdate(request, files, host);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == cSteppingSwapFiles::kKilled;
}

// Release after release, each swap killed before one of its steps in turn and the leftovers
// settled by the next start: against the plain model of what must hold, the program path
// names the old or the new program, runnable, at every kill, and once settled all files are
// of one release, with nothing left behind. Then the same with the program's move failing, so
// that the kills fall into the putting back too.
TEST(UpdateSwapKills, EveryKillLeavesARunnableProgramAndTheNextStartSettlesTheRelease) {
  hv::test::cTempFolder folder{"restart-kills"};
  const std::string program = PathIn(folder, "app/hearthview");
  const std::string app = folder.path() + "/app";
  auto content = [](int release, const char* file) {
    return std::string(file) + " of release " + std::to_string(release);
  };
  WriteFile(program, content(0, "program"), 0755);
  WriteFile(app + "/Help.chm", content(0, "help"), 0640);
  int installed = 0;  // the model: the release whose files are all in place
  std::string backup = "<missing>";
  int kills = 0;
  for (const std::string failing : {"", "rename hearthview.ex_"}) {
    for (int die_at = 0;; ++die_at) {
      const int next = installed + 1;
      const std::string list = WriteStagedUpdate(
          app, DeadStagingName(),
          {{"Help.chm", "Help.chm", content(next, "help")},
           {"hearthview.ex_", "hearthview", content(next, "program")},
           {"data/d" + std::to_string(next), "data/d" + std::to_string(next), content(next, "d")}});
      const std::string staged = list.substr(0, list.rfind('/')) + "/hearthview.ex_";
      const bool killed =
          SwapKilledAt(die_at, failing, {staged.c_str(), program.c_str(), list.c_str()});
      SCOPED_TRACE("release " + std::to_string(next) + ", killed before step " +
                   std::to_string(die_at) + (failing.empty() ? "" : ", " + failing + " failing"));
      ExpectRunnableProgram(program, content(installed, "program"), content(next, "program"));

      cSteppingSwapFiles files;
      cFakeRestartHost host;
      CleanUpLeftovers(program, "", files, host);
      const int now = ReadFile(program) == content(next, "program") ? next : installed;
      EXPECT_EQ(ReadFile(app + "/Help.chm"), content(now, "help"));
      EXPECT_EQ(FileMode(app + "/Help.chm"), 0640u);
      EXPECT_EQ(FileExists(app + "/data/d" + std::to_string(next)), now == next);
      // The backup is the program before the swap once the new one is in; until then the one
      // before, none (killed between removing and remaking it) or already the running one.
      const std::string backup_now = ReadFile(app + "/hearthview.bak");
      if (now == next) {
        EXPECT_EQ(backup_now, content(installed, "program"));
      } else {
        EXPECT_TRUE(backup_now == backup || backup_now == "<missing>" ||
                    backup_now == content(installed, "program"))
            << backup_now;
      }
      backup = backup_now;
      for (const auto& entry : std::filesystem::directory_iterator(app)) {
        EXPECT_FALSE(IsStagingFolderName(entry.path().filename().string())) << entry.path();
      }
      std::filesystem::remove_all(app + "/data");
      installed = now;
      if (killed) ++kills;
      if (!killed) break;
    }
  }
  EXPECT_GT(kills, 20);
}

}  // namespace

}  // namespace hv
