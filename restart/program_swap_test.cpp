#include "restart/program_swap.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "restart/testing/failing_program_files.h"
#include "restart/testing/fake_restart_host.h"
#include "restart/testing/test_files.h"

namespace hv {

namespace {

class ProgramSwap : public ::testing::Test {
 protected:
  void SetUp() override {
    program = PathIn(folder, "A B/hearthview");
    fresh = PathIn(folder, "A B/hearthview.ex_");
    backup = PathIn(folder, "A B/hearthview.bak");
    WriteFile(program, "old build", 0755);
    WriteFile(fresh, "new build", 0644);
  }

  cSwapResult Swap() { return ReplaceProgramFile(fresh.c_str(), program.c_str(), files, host); }

  hv::test::cTempFolder folder{"restart"};
  std::string program, fresh, backup;
  cFailingProgramFiles files;
  cFakeRestartHost host;
};

TEST(BackupName, ReplacesTheExtension) {
  EXPECT_STREQ(BackupName(R"(C:\A B\p.exe)").CStr(), R"(C:\A B\p.bak)");
  EXPECT_STREQ(BackupName("/opt/hv/hearthview").CStr(), "/opt/hv/hearthview.bak");
  EXPECT_STREQ(BackupName("/opt/hv.d/hv.ex_").CStr(), "/opt/hv.d/hv.bak");
  EXPECT_STREQ(BackupName("hv").CStr(), "hv.bak");
}

TEST_F(ProgramSwap, ReplacesAndKeepsTheOldFileAsBackupWithItsPermissions) {
  WriteFile(backup, "older build");
  EXPECT_EQ(Swap(), cSwapResult::kReplaced);
  EXPECT_EQ(ReadFile(program), "new build");
  EXPECT_EQ(FileMode(program), 0755u);  // runnable like the old one
  EXPECT_EQ(ReadFile(backup), "old build");
  EXPECT_FALSE(FileExists(fresh));
  EXPECT_EQ(host.beeps, 0);
}

TEST_F(ProgramSwap, NothingIsTouchedWithoutANewFileOrWithoutBothNames) {
  EXPECT_EQ(ReplaceProgramFile("", program.c_str(), files, host), cSwapResult::kNotAsked);
  EXPECT_EQ(ReplaceProgramFile(fresh.c_str(), "", files, host), cSwapResult::kNotAsked);
  EXPECT_EQ(host.beeps, 0);

  std::remove(fresh.c_str());
  EXPECT_EQ(Swap(), cSwapResult::kSourceMissing);
  EXPECT_EQ(host.beeps, 1);
  ASSERT_EQ(host.notes.size(), 1u);
  EXPECT_EQ(host.notes[0],
            "the new program file \"" + fresh + "\" is not there; nothing was replaced");
  // A folder is no program file either.
  PathIn(folder, "A B/hearthview.ex_/inside");
  EXPECT_EQ(Swap(), cSwapResult::kSourceMissing);
  EXPECT_EQ(host.beeps, 2);
  ASSERT_EQ(host.notes.size(), 2u);
  EXPECT_EQ(host.notes[1], "\"" + fresh +
                               "\" is not a file, so it cannot be the new program; nothing was "
                               "replaced");
  EXPECT_EQ(ReadFile(program), "old build");
  EXPECT_FALSE(FileExists(backup));
  EXPECT_TRUE(files.moves.empty());
}

TEST_F(ProgramSwap, AFailedMoveIntoPlaceBringsTheOldProgramBack) {
  // The first move into the program's name (the new file's) fails; the restore does not.
  files.fail_move_to = program;
  files.move_failures = 1;
  EXPECT_EQ(Swap(), cSwapResult::kRestored);
  EXPECT_EQ(ReadFile(program), "old build");
  EXPECT_FALSE(FileExists(backup));
  EXPECT_EQ(ReadFile(fresh), "new build");  // still there for the next update
  EXPECT_EQ(host.beeps, 1);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(ProgramSwap, WhenEvenTheRestoreFailsTheUserIsToldWhereTheProgramIs) {
  files.fail_move_to = program;
  EXPECT_EQ(Swap(), cSwapResult::kOnlyBackup);
  EXPECT_EQ(ReadFile(backup), "old build");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].caption, "Error");
  EXPECT_NE(host.messages[0].text.find(backup), std::string::npos);
}

TEST_F(ProgramSwap, AnUndeletableOldBackupKeepsTheOldProgramInPlace) {
  WriteFile(backup, "older build");
  files.fail_remove = backup;
  EXPECT_EQ(Swap(), cSwapResult::kKeptOld);
  // Removing the backup, setting the program aside and moving the new file in: each beeps,
  // and the program file is never overwritten.
  EXPECT_EQ(host.beeps, 3);
  EXPECT_EQ(ReadFile(program), "old build");
  EXPECT_EQ(ReadFile(backup), "older build");
  EXPECT_EQ(ReadFile(fresh), "new build");
}

TEST_F(ProgramSwap, WithoutAnOldProgramTheNewOneIsMadeRunnable) {
  std::remove(program.c_str());
  EXPECT_EQ(Swap(), cSwapResult::kReplaced);
  EXPECT_EQ(host.beeps, 1);  // there was nothing to keep
  EXPECT_EQ(ReadFile(program), "new build");
  EXPECT_EQ(FileMode(program), 0755u);
}

TEST_F(ProgramSwap, RefusesWhatWouldDeleteTheProgramItself) {
  EXPECT_EQ(ReplaceProgramFile(program.c_str(), program.c_str(), files, host),
            cSwapResult::kKeptOld);
  WriteFile(backup, "program named .bak");
  EXPECT_EQ(ReplaceProgramFile(fresh.c_str(), backup.c_str(), files, host), cSwapResult::kKeptOld);
  EXPECT_EQ(ReadFile(program), "old build");
  EXPECT_EQ(ReadFile(backup), "program named .bak");
  EXPECT_EQ(ReadFile(fresh), "new build");
  EXPECT_EQ(host.beeps, 2);
}

TEST(PosixProgramFiles, MovesNeverReplace) {
  hv::test::cTempFolder folder{"restart"};
  std::string a = PathIn(folder, "a"), b = PathIn(folder, "b");
  WriteFile(a, "a");
  WriteFile(b, "b");
  cPosixProgramFiles files;
  // A failed step says what the system said, which the notes to the user quote.
  const Status taken = files.MoveNoReplace(a.c_str(), b.c_str());
  EXPECT_TRUE(taken.failed());
  EXPECT_EQ(taken.message(), std::strerror(EEXIST));
  EXPECT_EQ(ReadFile(b), "b");
  EXPECT_TRUE(files.Remove(b.c_str()).ok());
  EXPECT_TRUE(files.MoveNoReplace(a.c_str(), b.c_str()).ok());
  EXPECT_EQ(ReadFile(b), "a");
  EXPECT_EQ(files.MoveNoReplace(a.c_str(), b.c_str()).message(), std::strerror(ENOENT));
}

}  // namespace

}  // namespace hv
