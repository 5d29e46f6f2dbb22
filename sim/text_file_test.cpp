#include "sim/text_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace hv::sim {
namespace {

TEST(TextFileTest, ReadsWholeFilesAndRefusesOnesLargerThanAllowed) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string path = std::string(tmp != nullptr ? tmp : "/tmp") + "/text_file_test.txt";
  std::ofstream(path) << std::string(100, 'x');
  std::string content = "before";
  ASSERT_TRUE(ReadTextFile(path, 100, &content).ok());
  EXPECT_EQ(content, std::string(100, 'x'));
  const Status large = ReadTextFile(path, 99, &content);
  EXPECT_TRUE(large.Is(Where::kSim, kCannotOpenFile));
  EXPECT_EQ(large.message(), "is larger than 99 bytes");
  EXPECT_EQ(content, std::string(100, 'x'));  // left alone on failure
  EXPECT_EQ(ReadTextFile("/dev/null", 10, &content).message(), "is not a regular file");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace hv::sim
