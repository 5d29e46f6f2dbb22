#include "core/archive/sw_file.h"
#include "core/testing/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <tuple>

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
  EXPECT_TRUE(file.Open(path_.c_str(), 3 | kFileCreate).Is(hv::Where::kFile, kFileBadAccess));
  EXPECT_TRUE(file.Open(path_.c_str(), kFileWrite | 0x50 | kFileCreate)
                  .Is(hv::Where::kFile, kFileBadShare));
  const hv::Status missing = file.Open(path_.c_str(), kFileRead);  // must exist without 0x1000
  EXPECT_TRUE(missing.Is(hv::Where::kFile, kFileRefused));
  EXPECT_NE(missing.message().find(path_), std::string::npos) << missing.ToString();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_NE(access(path_.c_str(), F_OK), 0);
  EXPECT_TRUE(file.Open(path_.c_str(), kFileWrite | kFileShareRead | kFileCreate).ok());
  const hv::Status again = file.Open(path_.c_str(), kFileRead);
  EXPECT_TRUE(again.Is(hv::Where::kFile, kFileAlreadyOpen));
  EXPECT_TRUE(again.failed());  // positive, yet a failure
  EXPECT_EQ(file.ShareMode(), kFileShareRead);
}

TEST_F(SwFileTest, CreateTruncatesUnlessKeepingAndReadsWhatWasWritten) {
  {
    swFile file;
    ASSERT_TRUE(file.Open(path_.c_str(), kFileWrite | kFileCreate).ok());
    EXPECT_EQ(file.Write("hello world", 11), 11u);
    EXPECT_EQ(file.Tell(), 11u);
    EXPECT_TRUE(file.Sync().ok());
  }  // closed by the destructor
  {
    swFile file;
    ASSERT_TRUE(file.Open(path_.c_str(), kFileReadWrite | kFileCreate | kFileKeepExisting).ok());
    EXPECT_EQ(file.Size(), 11u);
    ASSERT_TRUE(file.Seek(6).ok());
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 5u);  // fewer at the end of the file
    EXPECT_STREQ(buffer, "world");
  }
  swFile file;
  ASSERT_TRUE(file.Open(path_.c_str(), kFileWrite | kFileCreate).ok());
  EXPECT_EQ(file.Size(), 0u);
}

TEST_F(SwFileTest, LastWriteTimeRoundTrips) {
  swFile file;
  ASSERT_TRUE(file.Open(path_.c_str(), kFileWrite | kFileCreate).ok());
  swFileTime when{2021, 3, 14, 15, 9, 26};
  ASSERT_TRUE(file.SetTime(when).ok());
  swFileTime read;
  ASSERT_TRUE(file.GetTime(&read).ok());
  EXPECT_EQ(std::tie(read.year, read.month, read.day, read.hour, read.minute, read.second),
            std::tie(when.year, when.month, when.day, when.hour, when.minute, when.second));
}

TEST_F(SwFileTest, AClosedFileRefusesSyncAndTimesInWords) {
  swFile file;
  swFileTime when;
  for (const hv::Status& refused : {file.Sync(), file.GetTime(&when), file.SetTime(when)}) {
    EXPECT_TRUE(refused.Is(hv::Where::kFile, hv::kFailed)) << refused.ToString();
    EXPECT_EQ(refused.message(), "the file is not open");
  }
}

}  // namespace

}  // namespace hv
