// Writing a whole buffer, and the words a refusal carries.
#include "core/file/write_all.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "core/file/file_replace.h"
#include "core/status.h"
#include "core/system_error.h"
#include "core/testing/temp_folder.h"
#include "core/testing/text_file.h"

namespace hv {
namespace {

TEST(WriteAllTest, WritesEveryByteThroughAPipeThatTakesThemInParts) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  // More than a pipe holds at once, so the writes come back short while a reader drains it.
  const std::string bytes(1 << 20, 'x');
  const pid_t reader = fork();
  if (reader == 0) {
    close(ends[1]);
    char sink[4096];
    size_t total = 0;
    for (ssize_t n; (n = read(ends[0], sink, sizeof sink)) > 0;) total += static_cast<size_t>(n);
    _exit(total == bytes.size() ? 0 : 1);
  }
  close(ends[0]);
  EXPECT_TRUE(WriteAll(ends[1], bytes.data(), bytes.size(), "the pipe").ok());
  close(ends[1]);
  int exit_status = -1;
  ASSERT_EQ(waitpid(reader, &exit_status, 0), reader);
  EXPECT_TRUE(WIFEXITED(exit_status) && WEXITSTATUS(exit_status) == 0);
}

TEST(WriteAllTest, ARefusalNamesWhatAndTheSystemsReason) {
  const Status bad = WriteAll(-1, "x", 1, "the log");
  EXPECT_TRUE(bad.Is(Where::kFile, kCannotOpenFile));
  EXPECT_EQ(bad.message(), "cannot write the log: Bad file descriptor");

  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);
  struct sigaction ignore {};
  struct sigaction old {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGPIPE, &ignore, &old), 0);
  const Status broken = WriteAll(ends[1], "x", 1, "the pipe");
  sigaction(SIGPIPE, &old, nullptr);
  close(ends[1]);
  EXPECT_EQ(broken.message(), "cannot write the pipe: Broken pipe");

  EXPECT_EQ(SystemError(Where::kSim, "cannot listen", ENOENT).ToString(),
            "housesim 0xFFFFFFFF: cannot listen: No such file or directory");
}

TEST(WriteAllTest, AReplacedFileTakesTheModeAskedFor) {
  hv::test::cTempFolder folder("write_all");
  const std::string shared = folder.File("shared.txt");
  const std::string own = folder.File("own.txt");
  ASSERT_TRUE(ReplaceFileWithBytes(shared.c_str(), "a", 1).ok());
  const mode_t mask = umask(027);
  const Status written = ReplaceFileWithBytes(own.c_str(), "b", 1, UserDocumentMode());
  umask(mask);
  ASSERT_TRUE(written.ok());
  struct stat info {};
  ASSERT_EQ(stat(shared.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  ASSERT_EQ(stat(own.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(hv::test::ReadText(own), "b");
}

}  // namespace
}  // namespace hv
