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

namespace hv {

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
  ASSERT_EQ(block.SetIncoming(payload.data(), static_cast<uint32_t>(payload.size())).code(),
            hv::kOk);
}

// Every test works in a folder of its own.
class GatheredFileTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return folder_.path() + "/" + name; }

  hv::test::cTempFolder folder_{"hv-gathered-"};
};

TEST_F(GatheredFileTest, ChunksOfSeveralBlocksGoToOneOpenFileInOrder) {
  const std::string path = PathOf("picture.jpg.part");
  { std::ofstream(path) << "left over from a transfer that broke off"; }

  cGatheredFile file;
  ASSERT_EQ(file.CreateFresh(path.c_str()).code(), hv::kOk);
  const char* pieces[] = {"abc", "", "defg"};
  for (const char* piece : pieces) {
    cSocketMessageBlock block;
    const std::string text = piece;
    Receive(block, Chunk(text, static_cast<uint32_t>(text.size())));
    ASSERT_EQ(block.ReadFileChunk(file).code(), hv::kOk);
    EXPECT_EQ(block.Remaining(), 0u);
  }
  // A block whose chunk is left out writes nothing; one whose count runs past its payload
  // writes nothing and fails.
  cSocketMessageBlock left_out;
  Receive(left_out, {0, 0, 0, 0});
  EXPECT_EQ(left_out.ReadFileChunk(file).code(), hv::kOk);
  cSocketMessageBlock lying;
  Receive(lying, Chunk("z", 1000));
  EXPECT_EQ(lying.ReadFileChunk(file).code(), hv::kNoPayload);
  cSocketMessageBlock empty;
  EXPECT_EQ(empty.ReadFileChunk(file).code(), hv::kNoPayload);

  EXPECT_EQ(file.Close().code(), hv::kOk);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(FileText(path), "abcdefg");
  EXPECT_EQ(file.Close().code(), hv::kOk);  // nothing open: nothing to report
}

TEST_F(GatheredFileTest, APlantedLinkIsReplacedNotWrittenThrough) {
  const std::string target = PathOf("elsewhere");
  const std::string link = PathOf("picture.jpg.part");
  { std::ofstream(target) << "keep"; }
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);

  cGatheredFile file;
  ASSERT_EQ(file.CreateFresh(link.c_str()).code(), hv::kOk);
  ASSERT_EQ(file.Write(reinterpret_cast<const uint8_t*>("new"), 3).code(), hv::kOk);
  ASSERT_EQ(file.Close().code(), hv::kOk);
  EXPECT_EQ(FileText(target), "keep");
  EXPECT_EQ(FileText(link), "new");
}

TEST_F(GatheredFileTest, FailuresAreReportedNotSwallowed) {
  cGatheredFile file;
  const uint8_t byte = 'x';
  EXPECT_EQ(file.Write(&byte, 1).code(), hv::kCannotOpenFile);  // nothing open
  EXPECT_EQ(file.CreateFresh(PathOf("missing/x").c_str()).code(), hv::kCannotOpenFile);
  EXPECT_EQ(file.CreateFresh(nullptr).code(), hv::kMissingArgument);
  EXPECT_EQ(file.OpenForAppend(PathOf("missing/x").c_str()).code(), hv::kCannotOpenFile);

  // A full disk.
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  file.Adopt(full);
  cSocketMessageBlock block;
  Receive(block, Chunk("abc", 3));
  // Held below the first boundary, the bytes meet the full disk when the file is closed.
  EXPECT_EQ(block.ReadFileChunk(file).code(), hv::kOk);
  EXPECT_EQ(file.Close().code(), hv::kCannotOpenFile);
  // Beyond a boundary, at once.
  file.Adopt(open("/dev/full", O_WRONLY | O_CLOEXEC));
  const std::string large(cGatheredFile::kWriteUnit, 'y');
  Receive(block, Chunk(large, static_cast<uint32_t>(large.size())));
  EXPECT_EQ(block.ReadFileChunk(file).code(), hv::kCannotOpenFile);
  file.Discard();
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(GatheredFileTest, ChunksOfAnySizeArriveWholeInOrderAndAreWrittenInWholeUnits) {
  const std::string path = PathOf("picture.jpg.part");
  cGatheredFile file;
  ASSERT_EQ(file.CreateFresh(path.c_str()).code(), hv::kOk);
  // Blocks of the usual 60,000 bytes, a run of one-byte chunks (a server may send those),
  // one left out and one larger than a unit; one block object, as the connection has.
  const uint32_t sizes[] = {60000, 60000, 60000, 1, 1, 1, 1, 1, 0, 200000, 60000, 7};
  cSocketMessageBlock block;
  std::string expected;
  char next = 'a';
  for (const uint32_t size : sizes) {
    const std::string text(size, next);
    next = next == 'z' ? 'a' : static_cast<char>(next + 1);
    expected += text;
    Receive(block, Chunk(text, size));
    ASSERT_EQ(block.ReadFileChunk(file).code(), hv::kOk) << size;
    EXPECT_EQ(block.Remaining(), 0u);
    EXPECT_LT(file.HeldBytes(), cGatheredFile::kWriteUnit);
    // What is on disk ends at a unit's boundary, or where a flush of many small pieces
    // had to end it.
    const std::string on_disk = FileText(path);
    EXPECT_EQ(on_disk.size() + file.HeldBytes(), expected.size());
    EXPECT_EQ(on_disk, expected.substr(0, on_disk.size()));
  }
  EXPECT_GT(file.HeldBytes(), 0u);
  ASSERT_EQ(file.Close().code(), hv::kOk);
  EXPECT_EQ(FileText(path), expected);
}

TEST_F(GatheredFileTest, DiscardingDropsWhatIsHeld) {
  const std::string path = PathOf("thumb");
  cGatheredFile file;
  ASSERT_EQ(file.CreateFresh(path.c_str()).code(), hv::kOk);
  cSocketMessageBlock block;
  Receive(block, Chunk("held", 4));
  ASSERT_EQ(block.ReadFileChunk(file).code(), hv::kOk);
  file.Discard();
  EXPECT_EQ(FileText(path), "");
  EXPECT_EQ(file.Close().code(), hv::kOk);  // nothing open any more
}

TEST_F(GatheredFileTest, AppendingAddsToWhatIsThere) {
  const std::string path = PathOf("log.txt");
  { std::ofstream(path) << "ab"; }
  cGatheredFile file;
  ASSERT_EQ(file.OpenForAppend(path.c_str()).code(), hv::kOk);
  ASSERT_EQ(file.Write(reinterpret_cast<const uint8_t*>("cd"), 2).code(), hv::kOk);
  ASSERT_EQ(file.Close().code(), hv::kOk);
  EXPECT_EQ(FileText(path), "abcd");
}

}  // namespace

}  // namespace hv
