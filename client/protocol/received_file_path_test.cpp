#include "client/protocol/received_file_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "client/protocol/testing/protocol_test_support.h"
#include "core/status.h"

namespace hv {

namespace {

TEST(ReceivedFilePath, OnlyTheFilePartIsUsedWhateverTheSeparator) {
  const struct {
    const char* server_name;
    const char* part;
  } cases[] = {
      {"C:\\Pictures\\cam1.jpg", "cam1.jpg"},
      {"..\\..\\x", "x"},
      {"../../x", "x"},
      {"/etc/x", "x"},
      {"C:x", "x"},
      {"a\\b/c:d.txt", "d.txt"},
      {"plain.avi", "plain.avi"},
      {"...", "..."},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(ReceivedFilePart(c.server_name).CStr(), c.part) << c.server_name;
  }
}

TEST(ReceivedFilePath, NamesWithoutAFilePartCannotBeCreated) {
  for (const char* name : {"", "C:\\x\\", "a/..", ".", "..", "x/.", "C:"}) {
    swString path("unchanged");
    EXPECT_EQ(ReceivedFilePath(swString("/tmp"), name, &path).code(), hv::kCannotOpenFile) << name;
  }
  swString path;
  EXPECT_EQ(ReceivedFilePath(swString(""), "x.jpg", &path).code(), hv::kCannotOpenFile);
  EXPECT_EQ(ReceivedFilePath(swString("/tmp"), nullptr, &path).code(), hv::kMissingArgument);
}

TEST(ReceivedFilePath, JoinsWithTheDataFolderAndCreatesIt) {
  hv::test::cTempFolder temp;
  std::string folder = temp.File("deeper/Varnholt");
  swString path;
  ASSERT_EQ(ReceivedFilePath(swString(folder.c_str()), "..\\evil.jpg", &path).code(), hv::kOk);
  EXPECT_EQ(std::string(path.CStr()), folder + "/evil.jpg");
  swString with_slash((folder + "/").c_str());
  ASSERT_EQ(ReceivedFilePath(with_slash, "a.jpg", &path).code(), hv::kOk);
  EXPECT_EQ(std::string(path.CStr()), folder + "/a.jpg");
}

}  // namespace

}  // namespace hv
