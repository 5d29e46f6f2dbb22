// Corrupt and hostile archives: every truncation and a spread of flipped bytes must end in a
// status (or a clean read), never a crash, a hang or a runaway allocation. Run it under the
// sanitizer build too.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "core/archive/archive.h"
#include "core/testing/archive_test_support.h"

namespace hv {

namespace {

const swGuid kSection(0xABCDEF01, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);

std::vector<uint8_t> RichArchive(const char* key) {
  return WriteArchive(
      2,
      [](swArchive& ar) {
        TestRecord parent;
        auto* child = new TestRecord;
        child->number = 7;
        child->text = "child text";
        parent.number = 1;
        parent.text = "parent";
        parent.extra = 3;
        parent.child = child;
        parent.owned_child = child;
        ar.Write<uint32_t>(10, 1);
        ar.BeginSection(kSection, 2, true);
        ar.Write<uint64_t>(20, 2);
        ar.WriteObjectRef(&parent, 1);
        ar.EndSection();
        ar.WriteObjectRef(&parent, 1);
        swString tail("tail");
        ar.WriteObject(tail, 1);
      },
      key, nullptr, 2);
}

// Reads what RichArchive wrote; returns the status. Whatever gets created is freed.
int ReadRich(const std::vector<uint8_t>& bytes, const char* key) {
  std::vector<swStorable*> created;
  TestRecord::arena = &created;
  int status = ReadArchive(
      bytes,
      [](swArchive& ar) {
        uint32_t first = 0;
        uint64_t second = 0;
        swStorable* object = nullptr;
        swStorable* again = nullptr;
        swString tail;
        ar.Read<uint32_t>(&first, 1);
        ar.BeginSection(kSection, 2, true);
        ar.Read<uint64_t>(&second, 2);
        ar.ReadObjectRefOfClass(&object, 1, TestRecord::kId);
        ar.EndSection();
        ar.ReadObjectRefOfClass(&again, 1, TestRecord::kId);
        ar.ReadObject(tail, 1);
      },
      key, 2);
  TestRecord::arena = nullptr;
  for (swStorable* object : created) delete object;
  return status;
}

TEST(ArchiveCorruptTest, IntactArchivesReadBack) {
  EXPECT_EQ(ReadRich(RichArchive(nullptr), nullptr), 0);
  EXPECT_EQ(ReadRich(RichArchive("key,22"), "key,22"), 0);
}

TEST(ArchiveCorruptTest, EveryTruncationGivesAStatus) {
  for (const char* key : {static_cast<const char*>(nullptr), "key,22"}) {
    auto bytes = RichArchive(key);
    for (size_t length = 0; length < bytes.size(); ++length) {
      std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
      EXPECT_NE(ReadRich(cut, key), 0) << "length " << length;
    }
  }
}

TEST(ArchiveCorruptTest, FlippedBytesNeverCrash) {
  for (const char* key : {static_cast<const char*>(nullptr), "key,22"}) {
    auto bytes = RichArchive(key);
    for (size_t at = 0; at < bytes.size(); ++at) {
      for (uint8_t mask : {0x01, 0x10, 0x80, 0xFF}) {
        auto flipped = bytes;
        flipped[at] ^= mask;
        ReadRich(flipped, key);  // any status, or a read of slightly wrong values
      }
    }
  }
}

TEST(ArchiveCorruptTest, RandomTailsNeverCrash) {
  size_t start = 0;
  auto header = WriteArchive(
      1, [](swArchive&) {}, nullptr, &start);
  std::mt19937 random(1234);
  for (int round = 0; round < 3000; ++round) {
    auto bytes = header;
    size_t length = random() % 64;
    for (size_t i = 0; i < length; ++i) {
      // Mostly markers, so the structure code is what gets exercised.
      uint32_t pick = random() % 4;
      bytes.push_back(pick == 0 ? static_cast<uint8_t>(241 + random() % 7)
                                : static_cast<uint8_t>(random()));
    }
    ReadRich(bytes, nullptr);
  }
}

TEST(ArchiveCorruptTest, DeepNestingIsRefused) {
  // Sections whose identity objects hold sections, thousands deep.
  size_t start = 0;
  auto bytes = WriteArchive(
      1, [](swArchive&) {}, nullptr, &start);
  for (int i = 0; i < 20000; ++i) {
    bytes.insert(bytes.end(), {246, 243, 1, 0, 0, 0, 0x8B, 0x13, 1, 0});
  }
  uint32_t value = 0;
  EXPECT_NE(ReadArchive(bytes, [&](swArchive& ar) { ar.Read<uint32_t>(&value, 1); }), 0);
}

TEST(ArchiveCorruptTest, HugeLengthsAreRefusedBeforeAnything) {
  size_t start = 0;
  auto bytes = WriteArchive(
      1, [](swArchive&) {}, nullptr, &start);
  // A group of 65535 elements of 4 GB each, to be skipped.
  bytes.insert(bytes.end(), {242, 0xFF, 0xFF, 0xFF, 0xFF, 9, 0, 0xFF, 0xFF});
  uint32_t value = 0;
  EXPECT_EQ(ReadArchive(bytes, [&](swArchive& ar) { ar.Read<uint32_t>(&value, 1); }),
            kArchiveShortRead);
  // A string claiming 4 GB of characters.
  auto text = WriteArchive(
      1, [](swArchive&) {}, nullptr, &start);
  text.insert(text.end(),
              {243, 1, 0, 0, 0, 0x88, 0x13, 1, 0, 1, 1, 1, 0, 4, 1, 1, 0xFF, 0xFF, 0xFF, 0xFF});
  swString s;
  EXPECT_EQ(ReadArchive(text, [&](swArchive& ar) { ar.ReadObject(s, 1); }),
            kArchiveSerializeFailed);
}

}  // namespace

}  // namespace hv
