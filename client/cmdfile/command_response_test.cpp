#include "client/cmdfile/command_response.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/file/file_replace.h"
#include "core/status.h"
#include "core/testing/temp_folder.h"
#include "core/testing/text_file.h"

namespace hv {

namespace {

namespace fs = std::filesystem;

using hv::test::ReadText;

class CommandResponseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    root_ = folder_.path();
    fs::create_directories(root_ / "data");
    fs::create_directories(root_ / "home");
  }

  fs::path Stored(const char* name, const std::string& text) {
    fs::path path = root_ / "data" / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  hv::test::cTempFolder folder_{"cmd_response"};
  fs::path root_;
};

TEST_F(CommandResponseTest, MatchingNameLandsAtTheConfiguredPathReplacingTheOldOne) {
  fs::path configured = root_ / "home" / "VHCmdResponse.txt";
  std::ofstream(configured) << "old response";
  fs::path stored = Stored("VHCmdResponse.txt", "OK switch Porch on\r\n");
  swString final_path;
  // The server echoes our name; any directory it puts in front is not used.
  EXPECT_EQ(PlaceCommandResponse("C:\\Elsewhere\\VHCmdResponse.txt", stored.c_str(),
                                 configured.c_str(), &final_path),
            hv::kOk);
  EXPECT_STREQ(final_path.CStr(), configured.c_str());
  EXPECT_EQ(ReadText(configured), "OK switch Porch on\r\n");
  EXPECT_FALSE(fs::exists(stored));
}

TEST_F(CommandResponseTest, OtherNamesStayInTheDataFolder) {
  fs::path stored = Stored("other.txt", "x");
  swString final_path;
  EXPECT_EQ(PlaceCommandResponse("/etc/other.txt", stored.c_str(),
                                 (root_ / "home" / "VHCmdResponse.txt").c_str(), &final_path),
            hv::kDeclined);
  EXPECT_STREQ(final_path.CStr(), stored.c_str());
  EXPECT_TRUE(fs::exists(stored));
  EXPECT_FALSE(fs::exists(root_ / "home" / "VHCmdResponse.txt"));
  // No configured name, or a case that differs: the data folder too.
  EXPECT_EQ(PlaceCommandResponse("other.txt", stored.c_str(), "", nullptr), hv::kDeclined);
  EXPECT_EQ(PlaceCommandResponse("OTHER.TXT", stored.c_str(),
                                 (root_ / "home" / "other.txt").c_str(), nullptr),
            hv::kDeclined);
}

TEST_F(CommandResponseTest, ResponseAlreadyAtTheConfiguredPathStays) {
  fs::path stored = Stored("VHCmdResponse.txt", "OK mute on\r\n");
  EXPECT_EQ(PlaceCommandResponse("VHCmdResponse.txt", stored.c_str(), stored.c_str(), nullptr),
            hv::kOk);
  EXPECT_EQ(ReadText(stored), "OK mute on\r\n");
}

TEST_F(CommandResponseTest, UnwritableTargetKeepsTheResponseInTheDataFolder) {
  fs::path stored = Stored("VHCmdResponse.txt", "OK\r\n");
  swString final_path;
  EXPECT_EQ(PlaceCommandResponse("VHCmdResponse.txt", stored.c_str(),
                                 (root_ / "missing" / "VHCmdResponse.txt").c_str(), &final_path),
            hv::kCannotOpenFile);
  EXPECT_STREQ(final_path.CStr(), stored.c_str());
  EXPECT_EQ(ReadText(stored), "OK\r\n");
}

TEST_F(CommandResponseTest, ReplaceLeavesNoTemporaryFilesBehind) {
  fs::path target = root_ / "home" / "f.txt";
  EXPECT_EQ(ReplaceFileWithBytes(target.c_str(), "abc", 3), hv::kOk);
  EXPECT_EQ(ReplaceFileWithBytes(target.c_str(), "", 0), hv::kOk);
  EXPECT_EQ(ReadText(target), "");
  EXPECT_EQ(ReplaceFileWithCopy((root_ / "nope").c_str(), target.c_str()), hv::kCannotOpenFile);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(root_ / "home")) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

}  // namespace

}  // namespace hv
