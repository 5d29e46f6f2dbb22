#include "client/protocol/scratch_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/protocol/gathered_file.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "core/status.h"
#include "core/testing/scoped_env.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace {

using Bytes = std::vector<uint8_t>;

// Points TMPDIR at a private folder for the test's length, so its files can be counted. The
// parameter: whether unnamed files may be made (false: always named ones).
class ScratchFilesTest : public ::testing::TestWithParam<bool> {
 protected:
  std::vector<std::string> Entries() const { return hv::test::FolderEntries(folder.path()); }

  hv::test::cTempFolder folder{"hv-scratch-"};
  hv::test::cScopedEnv tmpdir{"TMPDIR", folder.path()};
};

int32_t WriteAndClose(cGatheredFile& file, const Bytes& bytes) {
  const int32_t rc = file.Write(bytes.data(), static_cast<uint32_t>(bytes.size())).code();
  return rc != hv::kOk ? rc : file.Close().code();
}

size_t NamedFiles(const std::vector<std::string>& entries) {
  size_t count = 0;
  for (const std::string& name : entries) count += name.rfind("VHX", 0) == 0 ? 1 : 0;
  return count;
}

TEST_P(ScratchFilesTest, AFileIsWrittenOverByTheNextAnswerAndCutToItsLength) {
  cScratchFiles scratch(GetParam());
  swString first;
  cGatheredFile file;
  ASSERT_EQ(scratch.Take(&first, &file).code(), hv::kOk);
  ASSERT_EQ(WriteAndClose(file, Bytes(300000, 1)), hv::kOk);
  EXPECT_EQ(hv::test::ReadWholeFile(first.CStr()), Bytes(300000, 1));
  scratch.GiveBack(first.CStr());

  swString second;
  ASSERT_EQ(scratch.Take(&second, &file).code(), hv::kOk);
  EXPECT_STREQ(second.CStr(), first.CStr());
  ASSERT_EQ(WriteAndClose(file, Bytes{7, 8, 9}), hv::kOk);
  EXPECT_EQ(hv::test::ReadWholeFile(second.CStr()), (Bytes{7, 8, 9}));
  scratch.GiveBack(second.CStr());
  if (!GetParam()) {
    EXPECT_FALSE(cScratchFiles::IsUnnamed(first.CStr()));
  }
  // An unnamed file never shows in the folder. Where the folder's file system cannot make
  // one, a named file is made even when unnamed ones are allowed.
  EXPECT_EQ(NamedFiles(Entries()), cScratchFiles::IsUnnamed(first.CStr()) ? 0u : 1u);
}

TEST_P(ScratchFilesTest, AnswersSideBySideGetFilesOfTheirOwnAndOnlyOneIsKept) {
  // An unnamed file shows nowhere but as an open descriptor.
  auto descriptors = [] { return hv::test::FolderEntries("/proc/self/fd").size(); };
  const size_t descriptors_before = descriptors();
  {
    cScratchFiles scratch(GetParam());
    swString a;
    swString b;
    cGatheredFile file_a;
    cGatheredFile file_b;
    ASSERT_EQ(scratch.Take(&a, &file_a).code(), hv::kOk);
    ASSERT_EQ(scratch.Take(&b, &file_b).code(), hv::kOk);
    EXPECT_STRNE(a.CStr(), b.CStr());
    ASSERT_EQ(WriteAndClose(file_a, Bytes{1}), hv::kOk);
    ASSERT_EQ(WriteAndClose(file_b, Bytes{2}), hv::kOk);
    EXPECT_EQ(hv::test::ReadWholeFile(a.CStr()), Bytes{1});
    EXPECT_EQ(hv::test::ReadWholeFile(b.CStr()), Bytes{2});
    scratch.GiveBack(a.CStr());
    scratch.GiveBack(b.CStr());
    scratch.GiveBack(b.CStr());                // twice: no harm
    scratch.GiveBack("/tmp/not-one-of-ours");  // never handed out: left alone
    EXPECT_EQ(scratch.FileCount(), 1u);
    EXPECT_EQ(NamedFiles(Entries()), cScratchFiles::IsUnnamed(a.CStr()) ? 0u : 1u);
  }
  // Every file goes with its owner, kept or still in use.
  EXPECT_TRUE(Entries().empty());
  {
    cScratchFiles scratch(GetParam());
    swString in_use;
    cGatheredFile file;
    ASSERT_EQ(scratch.Take(&in_use, &file).code(), hv::kOk);
  }
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(descriptors(), descriptors_before);
}

TEST_P(ScratchFilesTest, ATemporaryFolderThatCannotBeWrittenFailsTheTake) {
  const hv::test::cScopedEnv missing("TMPDIR", folder.File("missing"));
  cScratchFiles scratch(GetParam());
  swString path;
  cGatheredFile file;
  EXPECT_EQ(scratch.Take(&path, &file).code(), hv::kCannotOpenFile);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(scratch.FileCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ScratchFilesTest, ::testing::Bool(),
                         [](const auto& unnamed) { return unnamed.param ? "Unnamed" : "Named"; });

}  // namespace

}  // namespace hv
