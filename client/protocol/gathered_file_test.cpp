#include "client/protocol/gathered_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "client/protocol/socket_message_block.h"
#include "core/status.h"
#include "core/testing/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Chunk(const std::string& text, uint32_t count) {
  Bytes b = {0,
             0,
             0,
             0,
             static_cast<uint8_t>(count),
             static_cast<uint8_t>(count >> 8),
             static_cast<uint8_t>(count >> 16),
             static_cast<uint8_t>(count >> 24)};
  for (char c : text) b.push_back(static_cast<uint8_t>(c));
  return b;
}

void Receive(cSocketMessageBlock& block, const Bytes& payload) {
  ASSERT_EQ(block.SetIncoming(payload.data(), static_cast<uint32_t>(payload.size())), hv::kOk);
}

TEST(GatheredFileTest, ChunksOfSeveralBlocksGoToOneOpenFileInOrder) {
  hvtest::cTempFolder folder("hv-gathered-");
  const std::string path = folder.path() + "/picture.jpg.part";
  { std::ofstream(path) << "left over from a transfer that broke off"; }

  cGatheredFile file;
  ASSERT_EQ(file.CreateFresh(path.c_str()), hv::kOk);
  const char* pieces[] = {"abc", "", "defg"};
  for (const char* piece : pieces) {
    cSocketMessageBlock block;
    const std::string text = piece;
    Receive(block, Chunk(text, static_cast<uint32_t>(text.size())));
    ASSERT_EQ(block.ReadFileChunk(file), hv::kOk);
    EXPECT_EQ(block.Remaining(), 0u);
  }
  // A block whose chunk is left out writes nothing; one whose count runs past its payload
  // writes nothing and fails.
  cSocketMessageBlock left_out;
  Receive(left_out, {0, 0, 0, 0});
  EXPECT_EQ(left_out.ReadFileChunk(file), hv::kOk);
  cSocketMessageBlock lying;
  Receive(lying, Chunk("z", 1000));
  EXPECT_EQ(lying.ReadFileChunk(file), hv::kNoPayload);
  cSocketMessageBlock empty;
  EXPECT_EQ(empty.ReadFileChunk(file), hv::kNoPayload);

  EXPECT_EQ(file.Close(), hv::kOk);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(FileText(path), "abcdefg");
  EXPECT_EQ(file.Close(), hv::kOk);  // nothing open: nothing to report
}

TEST(GatheredFileTest, APlantedLinkIsReplacedNotWrittenThrough) {
  hvtest::cTempFolder folder("hv-gathered-");
  const std::string target = folder.path() + "/elsewhere";
  const std::string link = folder.path() + "/picture.jpg.part";
  { std::ofstream(target) << "keep"; }
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);

  cGatheredFile file;
  ASSERT_EQ(file.CreateFresh(link.c_str()), hv::kOk);
  ASSERT_EQ(file.Write(reinterpret_cast<const uint8_t*>("new"), 3), hv::kOk);
  ASSERT_EQ(file.Close(), hv::kOk);
  EXPECT_EQ(FileText(target), "keep");
  EXPECT_EQ(FileText(link), "new");
}

TEST(GatheredFileTest, FailuresAreReportedNotSwallowed) {
  hvtest::cTempFolder folder("hv-gathered-");
  cGatheredFile file;
  const uint8_t byte = 'x';
  EXPECT_EQ(file.Write(&byte, 1), hv::kCannotOpenFile);  // nothing open
  EXPECT_EQ(file.CreateFresh((folder.path() + "/missing/x").c_str()), hv::kCannotOpenFile);
  EXPECT_EQ(file.CreateFresh(nullptr), hv::kMissingArgument);
  EXPECT_EQ(file.OpenForAppend((folder.path() + "/missing/x").c_str()), hv::kCannotOpenFile);

  // A full disk.
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  file.Adopt(full);
  cSocketMessageBlock block;
  Receive(block, Chunk("abc", 3));
  EXPECT_EQ(block.ReadFileChunk(file), hv::kCannotOpenFile);
  EXPECT_EQ(block.ReadPosition(), 8u);  // the bytes were not taken as written
}

TEST(GatheredFileTest, AppendingAddsToWhatIsThere) {
  hvtest::cTempFolder folder("hv-gathered-");
  const std::string path = folder.path() + "/log.txt";
  { std::ofstream(path) << "ab"; }
  cGatheredFile file;
  ASSERT_EQ(file.OpenForAppend(path.c_str()), hv::kOk);
  ASSERT_EQ(file.Write(reinterpret_cast<const uint8_t*>("cd"), 2), hv::kOk);
  ASSERT_EQ(file.Close(), hv::kOk);
  EXPECT_EQ(FileText(path), "abcd");
}

}  // namespace
