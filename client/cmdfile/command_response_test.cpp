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

  // What PlaceCommandResponse returned, and where it says the response is.
  struct cPlaced {
    int32_t code;
    fs::path where;
  };
  cPlaced Place(const char* received_name, const fs::path& stored, const fs::path& configured) {
    swString final_path;
    const int32_t code =
        PlaceCommandResponse(received_name, stored.c_str(), configured.c_str(), &final_path).code();
    return {code, final_path.CStr()};
  }

  hv::test::cTempFolder folder_{"cmd_response"};
  fs::path root_;
};

TEST_F(CommandResponseTest, MatchingNameLandsAtTheConfiguredPathReplacingTheOldOne) {
  fs::path configured = root_ / "home" / "VHCmdResponse.txt";
  std::ofstream(configured) << "old response";
  fs::path stored = Stored("VHCmdResponse.txt", "OK switch Porch on\r\n");
  // The server echoes our name; any directory it puts in front is not used.
  const cPlaced placed = Place("C:\\Elsewhere\\VHCmdResponse.txt", stored, configured);
  EXPECT_EQ(placed.code, hv::kOk);
  EXPECT_EQ(placed.where, configured);
  EXPECT_EQ(ReadText(configured), "OK switch Porch on\r\n");
  EXPECT_FALSE(fs::exists(stored));
}

TEST_F(CommandResponseTest, OtherNamesStayInTheDataFolder) {
  fs::path stored = Stored("other.txt", "x");
  const cPlaced placed = Place("/etc/other.txt", stored, root_ / "home" / "VHCmdResponse.txt");
  EXPECT_EQ(placed.code, hv::kDeclined);
  EXPECT_EQ(placed.where, stored);
  EXPECT_TRUE(fs::exists(stored));
  EXPECT_FALSE(fs::exists(root_ / "home" / "VHCmdResponse.txt"));
  // No configured name, or a case that differs: the data folder too.
  EXPECT_EQ(PlaceCommandResponse("other.txt", stored.c_str(), "", nullptr).code(), hv::kDeclined);
  EXPECT_EQ(Place("OTHER.TXT", stored, root_ / "home" / "other.txt").code, hv::kDeclined);
}

TEST_F(CommandResponseTest, ResponseAlreadyAtTheConfiguredPathStays) {
  fs::path stored = Stored("VHCmdResponse.txt", "OK mute on\r\n");
  EXPECT_EQ(
      PlaceCommandResponse("VHCmdResponse.txt", stored.c_str(), stored.c_str(), nullptr).code(),
      hv::kOk);
  EXPECT_EQ(ReadText(stored), "OK mute on\r\n");
}

TEST_F(CommandResponseTest, UnwritableTargetKeepsTheResponseInTheDataFolder) {
  fs::path stored = Stored("VHCmdResponse.txt", "OK\r\n");
  const cPlaced placed =
      Place("VHCmdResponse.txt", stored, root_ / "missing" / "VHCmdResponse.txt");
  EXPECT_EQ(placed.code, hv::kCannotOpenFile);
  EXPECT_EQ(placed.where, stored);
  EXPECT_EQ(ReadText(stored), "OK\r\n");
  // The failure names the target and the system's reason, for the user's log entry.
  const std::string target = (root_ / "missing" / "VHCmdResponse.txt").string();
  const std::string message =
      PlaceCommandResponse("VHCmdResponse.txt", stored.c_str(), target.c_str(), nullptr).message();
  EXPECT_NE(message.find(target + ": No such file or directory"), std::string::npos) << message;
}

TEST_F(CommandResponseTest, ReplaceLeavesNoTemporaryFilesBehind) {
  fs::path target = root_ / "home" / "f.txt";
  EXPECT_TRUE(ReplaceFileWithBytes(target.c_str(), "abc", 3).ok());
  EXPECT_TRUE(ReplaceFileWithBytes(target.c_str(), "", 0).ok());
  EXPECT_EQ(ReadText(target), "");
  EXPECT_TRUE(ReplaceFileWithCopy((root_ / "nope").c_str(), target.c_str())
                  .Is(hv::Where::kFile, hv::kCannotOpenFile));
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(root_ / "home")) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

}  // namespace

}  // namespace hv
