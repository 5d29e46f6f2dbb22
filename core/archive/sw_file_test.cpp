#include "core/archive/sw_file.h"
#include "core/testing/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace hv {

namespace {

class SwFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    dir_ = folder_.path();
    path_ = folder_.File("data.bin");
  }
  hv::test::cTempFolder folder_{"swfile"};
  std::string dir_;
  std::string path_;
};

TEST_F(SwFileTest, ModeBitsAreCheckedBeforeTheFileIsTouched) {
  swFile file;
  EXPECT_EQ(file.Open(path_.c_str(), 3 | kFileCreate), kFileBadAccess);
  EXPECT_EQ(file.Open(path_.c_str(), kFileWrite | 0x50 | kFileCreate), kFileBadShare);
  EXPECT_EQ(file.Open(path_.c_str(), kFileRead), kFileRefused);  // must exist without 0x1000
  EXPECT_FALSE(file.IsOpen());
  EXPECT_NE(access(path_.c_str(), F_OK), 0);
  EXPECT_EQ(file.Open(path_.c_str(), kFileWrite | kFileShareRead | kFileCreate), kFileOpened);
  EXPECT_EQ(file.Open(path_.c_str(), kFileRead), kFileAlreadyOpen);
  EXPECT_EQ(file.ShareMode(), kFileShareRead);
}

TEST_F(SwFileTest, CreateTruncatesUnlessKeepingAndReadsWhatWasWritten) {
  {
    swFile file;
    ASSERT_EQ(file.Open(path_.c_str(), kFileWrite | kFileCreate), kFileOpened);
    EXPECT_EQ(file.Write("hello world", 11), 11u);
    EXPECT_EQ(file.Tell(), 11u);
    EXPECT_EQ(file.Sync(), 0);
  }  // closed by the destructor
  {
    swFile file;
    ASSERT_EQ(file.Open(path_.c_str(), kFileReadWrite | kFileCreate | kFileKeepExisting),
              kFileOpened);
    EXPECT_EQ(file.Size(), 11u);
    ASSERT_EQ(file.Seek(6), 0);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 5u);  // fewer at the end of the file
    EXPECT_STREQ(buffer, "world");
  }
  swFile file;
  ASSERT_EQ(file.Open(path_.c_str(), kFileWrite | kFileCreate), kFileOpened);
  EXPECT_EQ(file.Size(), 0u);
}

TEST_F(SwFileTest, LastWriteTimeRoundTrips) {
  swFile file;
  ASSERT_EQ(file.Open(path_.c_str(), kFileWrite | kFileCreate), kFileOpened);
  swFileTime when{2021, 3, 14, 15, 9, 26};
  ASSERT_EQ(file.SetTime(when), 0);
  swFileTime read;
  ASSERT_EQ(file.GetTime(&read), 0);
  EXPECT_EQ(read.year, 2021);
  EXPECT_EQ(read.month, 3);
  EXPECT_EQ(read.day, 14);
  EXPECT_EQ(read.hour, 15);
  EXPECT_EQ(read.minute, 9);
  EXPECT_EQ(read.second, 26);
}

}  // namespace

}  // namespace hv
