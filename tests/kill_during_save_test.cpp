// The settings file and the registry store survive a kill at any moment: hv_save_loop saves
// without end, is killed with SIGKILL after a random short while, and what is on disk must
// load and hold either the newest generation it announced or the one it was writing. Two
// processes writing the store at once lose nothing. (scripts/faults does a thousand kills.)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/profile/registry_store.h"
#include "core/testing/temp_folder.h"

extern char** environ;

namespace hv {

namespace {

std::string Program() {
  const char* bin = std::getenv("HV_BIN_DIR");
  return std::string(bin != nullptr ? bin : ".") + "/hv_save_loop";
}

// Starts hv_save_loop with `args`; its standard output comes back through *out_fd.
pid_t Start(std::vector<std::string> args, int* out_fd) {
  args.insert(args.begin(), Program());
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  *out_fd = pipe_fds[0];
  return pid;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  close(fd);
  return text;
}

// The generation of the last "saved N" line, 0 when there is none.
uint32_t LastAnnounced(const std::string& output) {
  const size_t at = output.rfind("saved ");
  return at == std::string::npos ? 0 : static_cast<uint32_t>(std::atol(output.c_str() + at + 6));
}

// Runs a check mode; "none" is generation 0, a failed check is -1.
long Check(const char* mode, const std::string& path) {
  int fd = -1;
  const pid_t pid = Start({mode, path}, &fd);
  if (pid <= 0) return -1;
  const std::string output = ReadAll(fd);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return output.rfind("none", 0) == 0 ? 0 : std::atol(output.c_str());
}

// Kills a saving loop `kills` times at random moments and checks the file after each kill.
void KillRepeatedly(const char* loop_mode, const char* check_mode, const std::string& path,
                    int kills) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> delay_us(0, 40000);
  uint32_t before = 0;  // the newest generation on disk before this round
  for (int i = 0; i < kills; ++i) {
    SCOPED_TRACE("kill " + std::to_string(i + 1));
    int fd = -1;
    const pid_t pid = Start({loop_mode, path}, &fd);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the loop ended on its own";
    const uint32_t announced = LastAnnounced(ReadAll(fd));
    const long found = Check(check_mode, path);
    ASSERT_GE(found, 0) << "the file does not load after a kill";
    if (announced > 0) {
      // Each round starts again at 1: the newest announced save is there, or the next one.
      EXPECT_TRUE(found == announced || found == announced + 1)
          << "announced " << announced << ", found " << found;
    } else {
      EXPECT_TRUE(found == 0 || found == 1 || static_cast<uint32_t>(found) == before)
          << "found " << found << " after a round that saved nothing";
    }
    before = static_cast<uint32_t>(found);
  }
}

// Lets a loop announce one save before the kill, so a file is surely on disk even when a
// slow machine (a sanitizer build under load) had every random kill land before the first save.
void KillAfterOneSave(const char* loop_mode, const std::string& path) {
  int fd = -1;
  const pid_t pid = Start({loop_mode, path}, &fd);
  ASSERT_GT(pid, 0);
  char line[32] = {};
  const ssize_t got = read(fd, line, sizeof line - 1);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  close(fd);
  ASSERT_GT(got, 0) << "the loop announced no save";
}

// What survived the kills is still the user's alone.
void ExpectOwnerOnly(const char* loop_mode, const std::string& path, const char* what) {
  KillAfterOneSave(loop_mode, path);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0) << what;
  EXPECT_EQ(info.st_mode & 0777, 0600u) << what << " is readable by others";
}

TEST(KillDuringSave, SettingsFileHoldsTheOldOrTheNewValues) {
  hv::test::cTempFolder folder("kill_settings");
  const std::string path = folder.path() + "/VHClientSettings.txt";
  KillRepeatedly("settings", "check-settings", path, 30);
  ExpectOwnerOnly("settings", path, "the settings file");
}

TEST(KillDuringSave, RegistryStoreHoldsTheOldOrTheNewValues) {
  hv::test::cTempFolder folder("kill_registry");
  const std::string path = folder.path() + "/registry.db";
  KillRepeatedly("registry", "check-registry", path, 30);
  ExpectOwnerOnly("registry", path, "the registry store");
}

TEST(KillDuringSave, RegistryBatchIsWrittenWholeOrNotAtAll) {
  hv::test::cTempFolder folder("kill_batch");
  const std::string path = folder.path() + "/registry.db";
  KillRepeatedly("batch", "check-batch", path, 30);
}

// A batch killed after half its writes leaves every value as it was, and its lock with it.
TEST(KillDuringSave, BatchKilledHalfWayLeavesTheOldValuesWhole) {
  hv::test::cTempFolder folder("half_batch");
  const std::string path = folder.path() + "/registry.db";
  auto run = [&](std::vector<std::string> args) {
    int fd = -1;
    const pid_t pid = Start(std::move(args), &fd);
    const std::string output = ReadAll(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    return std::make_pair(output, status);
  };
  // Generation 1 on disk, whole: a loop killed after its first announcement.
  int loop_fd = -1;
  const pid_t loop = Start({"batch", path}, &loop_fd);
  ASSERT_GT(loop, 0);
  char line[16] = {};
  ASSERT_GT(read(loop_fd, line, sizeof line - 1), 0);
  kill(loop, SIGKILL);
  waitpid(loop, nullptr, 0);
  close(loop_fd);
  const long old_generation = Check("check-batch", path);
  ASSERT_GT(old_generation, 0);

  int half_fd = -1;
  const pid_t half = Start({"batch-half", path, "999999"}, &half_fd);
  ASSERT_GT(half, 0);
  char said[8] = {};
  ASSERT_EQ(read(half_fd, said, 5), 5);
  EXPECT_STREQ(said, "half\n");
  kill(half, SIGKILL);
  waitpid(half, nullptr, 0);
  close(half_fd);

  EXPECT_EQ(Check("check-batch", path), old_generation);
  // The killed batch's lock went with it: a new writer gets through at once.
  const auto [output, status] = run({"writer", path, "after", "1"});
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
}

TEST(ConcurrentRegistryWriters, NothingIsLost) {
  hv::test::cTempFolder folder("two_writers");
  const std::string path = folder.path() + "/registry.db";
  constexpr int kEach = 150;
  int fd_a = -1;
  int fd_b = -1;
  const pid_t a = Start({"writer", path, "a", std::to_string(kEach)}, &fd_a);
  // One writes value by value, the other in batches that hold the store a while.
  const pid_t b = Start({"batch-writer", path, "b", std::to_string(kEach)}, &fd_b);
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  ReadAll(fd_a);
  ReadAll(fd_b);
  for (pid_t pid : {a, b}) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
  }
  std::unique_ptr<swRegistryStore> store;
  const hv::Status opened = swRegistryStore::Open(path, &store);
  ASSERT_TRUE(opened.ok()) << opened.ToString();
  std::vector<swRegistryValue> values;
  ASSERT_EQ(store->ListValues("Software\\Orvane LLC\\Varnholt\\Save Loop", &values).code(),
            kStoreOk);
  EXPECT_EQ(values.size(), 2u * kEach) << "writes were lost";
}

}  // namespace

}  // namespace hv
