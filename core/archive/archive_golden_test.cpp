// Files written by earlier builds must keep reading. These bytes were written by the archive
// and are pinned here, so a change to the scrambling, the headers or the layout of groups and
// objects fails this test before it can make the files users already have unreadable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/archive/archive.h"
#include "core/testing/archive_test_support.h"

namespace hv {

namespace {

constexpr const char* kKey = "0123456789abcdefghij,K";

// A string, a group of two numbers, a value of a later version and an object by reference.
void WriteBody(swArchive& ar) {
  swString text("Porch");
  ar.WriteObject(text, 1);
  ar.Write<uint32_t>(0x01020304, 1);
  ar.Write<uint32_t>(250, 1);
  ar.Write<uint16_t>(7, 2);
  TestRecord record;
  record.number = 42;
  record.text = "Hall";
  ar.WriteObjectRef(&record, 1);
}

// Written with the key above: archive version 2, then WriteBody.
const char kScrambledArchive[] =
    "01 00 31 32 32 36 cb 3c 3c 3e 40 bb 82 75 7b 76\n"
    "7c 7d 86 8a 8d 8e 52 73 4a 4c 52 51 58 59 5b 54\n"
    "58 59 87 85 8d 91 93 91 b8 96 91 c1 59 96 68 6a\n"
    "e3 5b 65 66 64 69 71 66 ad ae b3 b8 b8 b8 ae ba\n"
    "af be ad 8b bc bf aa ab aa ab b2 b3 b6 d9 b9 bc\n"
    "ea bd c5 c8 c9 46 c2 d3 d4 b5 d1 d1 d4 da d9 d9\n"
    "d0 de d8 da d1 c5 ca 96 68 7b 83 b2 74 84 7b 74\n"
    "85 78 87 f7 e8 ea f9 eb f4 f6 f1 6c e2 f9 f9 fb\n"
    "fc fd 69 70 31 4d 35 3a 3c 3e 41 45 49 7a 5f 5c\n"
    "1a 16 96 86 89 86 8a 94 91 93 56 73 da 56 5a 5c\n"
    "5a 5c 57 51 5c f2 88 8c 8d 8e 91 a8 98 96 99 9c\n"
    "5c 9a 61 61 4a 66 68 6a fb 6d 70 71 b5 2e a8 b9\n"
    "bd bd a6 a9 ad b2 b1 92 b8 be c2 c4 80 69 5e 60\n"
    "d9 cd c1 d8 c4 ca c8 cc cd d6 d1 d4 d6 b6 d8 e5\n"
    "dd de e1 d6 d8 ";

TEST(ArchiveGoldenTest, ScrambledArchiveIsWrittenByteForByte) {
  EXPECT_EQ(HexDump(WriteArchive(2, WriteBody, kKey)), kScrambledArchive);

  // The pinned bytes are the scrambling itself, worked by hand for the start of the header:
  // byte c after the key flag is stored as c + (b XOR (key[c % length] OR c)).
  const std::vector<uint8_t> pinned = FromHexDump(kScrambledArchive);
  const uint8_t plain[] = {0x01, 0x00, 0x02, 0x00, 0xF3};  // tagged, version 2, marker 243
  for (uint32_t c = 0; c < sizeof plain; ++c) {
    const uint8_t k = static_cast<uint8_t>(kKey[c % 22]);
    EXPECT_EQ(pinned[2 + c], static_cast<uint8_t>(c + (plain[c] ^ (k | c)))) << c;
  }
}

TEST(ArchiveGoldenTest, PinnedScrambledArchiveReadsBack) {
  swString text;
  uint32_t first = 0;
  uint32_t second = 0;
  uint16_t later = 0;
  swStorable* read = nullptr;
  EXPECT_EQ(ReadArchive(
                FromHexDump(kScrambledArchive),
                [&](swArchive& ar) {
                  ar.ReadObject(text, 1);
                  ar.Read<uint32_t>(&first, 1, 0);
                  ar.Read<uint32_t>(&second, 1, 0);
                  ar.Read<uint16_t>(&later, 2, 0);
                  ar.ReadObjectRef(&read, 1);
                },
                kKey),
            0);
  EXPECT_STREQ(text.CStr(), "Porch");
  EXPECT_EQ(first, 0x01020304u);
  EXPECT_EQ(second, 250u);
  EXPECT_EQ(later, 7);
  auto* record = dynamic_cast<TestRecord*>(read);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->number, 42u);
  EXPECT_STREQ(record->text.CStr(), "Hall");
  delete read;
}

}  // namespace

}  // namespace hv
