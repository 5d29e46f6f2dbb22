#include "core/file/whole_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "core/testing/temp_folder.h"

namespace hv {
namespace {

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The message of a failed read, or "" when it succeeded.
std::string ReadError(const std::string& path, size_t max_bytes = 1000) {
  std::string content = "untouched";
  const Status status = ReadWholeFile(path, max_bytes, &content);
  EXPECT_EQ(content, status.ok() ? content : "untouched") << "a failed read changed the text";
  return status.ok() ? std::string() : status.message();
}

TEST(WholeFileTest, ReadsARegularFileWhole) {
  hv::test::cTempFolder folder;
  const std::string bytes("line\n\0\xFF end", 11);
  Write(folder.File("f"), bytes);
  std::string content;
  ASSERT_TRUE(ReadWholeFile(folder.File("f"), 11, &content).ok());
  EXPECT_EQ(content, bytes);
  Write(folder.File("empty"), "");
  EXPECT_TRUE(ReadWholeFile(folder.File("empty"), 0, &content).ok());
  EXPECT_EQ(content, "");
}

TEST(WholeFileTest, EveryOtherKindOfPathIsRefusedInWords) {
  hv::test::cTempFolder folder;
  const std::string fifo = folder.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  Write(folder.File("big"), std::string(1001, 'x'));
  Write(folder.File("secret"), "x");
  chmod(folder.File("secret").c_str(), 0);

  EXPECT_EQ(ReadError(folder.path()), "\"" + folder.path() + "\" is a folder, not a file");
  EXPECT_EQ(ReadError(folder.File("none")), "\"" + folder.File("none") + "\" does not exist");
  // Nobody writes to the FIFO: refused at once instead of waiting for a writer.
  EXPECT_NE(ReadError(fifo).find("is not a regular file"), std::string::npos);
  EXPECT_NE(ReadError("/dev/zero").find("is not a regular file"), std::string::npos);
  EXPECT_NE(ReadError(folder.File("big")).find("is larger than 1000 bytes"), std::string::npos);
  if (geteuid() != 0) {
    EXPECT_NE(ReadError(folder.File("secret")).find("Permission denied"), std::string::npos);
  }
  // A file whose size is not what was read (here one the kernel makes up as it is read, whose
  // size says 0) is refused as a file that changed under the reader would be.
  EXPECT_NE(ReadError("/proc/self/status", 1 << 20).find("changed while it was read"),
            std::string::npos);
}

TEST(WholeFileTest, StreamsAreReadToTheirEndAndAFolderIsRefused) {
  hv::test::cTempFolder folder;
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  ASSERT_EQ(write(pipe_ends[1], "abc", 3), 3);
  close(pipe_ends[1]);
  std::string content;
  EXPECT_TRUE(ReadWholeStream(pipe_ends[0], "standard input", 10, &content).ok());
  EXPECT_EQ(content, "abc");
  close(pipe_ends[0]);

  const int fd = open(folder.path().c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  const Status status = ReadWholeStream(fd, "standard input", 10, &content);
  EXPECT_EQ(status.message(), "standard input is a folder, not a file");
  close(fd);
}

}  // namespace
}  // namespace hv
