#include "core/archive/archive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/testing/archive_test_support.h"
#include "core/testing/memory_file.h"

namespace hv {

namespace {

std::vector<uint8_t> Tail(const std::vector<uint8_t>& bytes, size_t from) {
  return std::vector<uint8_t>(bytes.begin() + static_cast<long>(from), bytes.end());
}

TEST(ArchiveFormatTest, EightU32ValuesFormOneShortGroup) {
  size_t start = 0;
  auto bytes = WriteArchive(
      1,
      [](swArchive& ar) {
        for (uint32_t i = 0; i < 8; ++i) ar.Write<uint32_t>(0x01020300 + i, 1);
      },
      nullptr, &start);
  auto body = Tail(bytes, start);
  ASSERT_EQ(body.size(), 3u + 32u);
  EXPECT_EQ(body[0], 4);
  EXPECT_EQ(body[1], 1);
  EXPECT_EQ(body[2], 8);
  EXPECT_EQ(body[3], 0x00);  // little-endian: low byte first
  EXPECT_EQ(body[4], 0x03);
  EXPECT_EQ(body[6], 0x01);
  EXPECT_EQ(body[3 + 28], 0x07);
}

TEST(ArchiveFormatTest, PlainHeaderLayout) {
  auto bytes = WriteArchive(7, [](swArchive&) {});
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(bytes[0], 0);    // no key
  EXPECT_EQ(bytes[2], 1);    // tagged
  EXPECT_EQ(bytes[4], 7);    // archive version
  EXPECT_EQ(bytes[6], 243);  // the type identity, embedded
  EXPECT_EQ(bytes[7], 2);    // ... with version tag 2

  swMemoryFile file(bytes);
  swArchive ar;
  EXPECT_TRUE(ar.RegisterCoreClasses(2).ok());
  swGuid type, creator;
  swString name;
  ASSERT_TRUE(ar.Open(&file, false, true, &type, &creator, &name, 1, nullptr, 0).ok());
  EXPECT_EQ(type, swGuid(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11));
  EXPECT_EQ(creator, swGuid(12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22));
  EXPECT_STREQ(name.CStr(), "Test archive");
  EXPECT_EQ(ar.Version(), 7);  // the stored version replaces the caller's
}

TEST(ArchiveFormatTest, LongGroupHeadersAndLargeValuesRoundTrip) {
  std::string medium(300, 'm');   // above 240: long header 241
  std::string large(70000, 'L');  // above 65535: marker 242, written directly
  size_t start = 0;
  auto bytes = WriteArchive(
      300,
      [&](swArchive& ar) {
        ar.WriteValue(medium.data(), 300, 1);
        ar.Write<uint8_t>(9, 300);  // version above 255: long header
        ar.WriteValue(large.data(), 70000, 1);
      },
      nullptr, &start);
  auto body = Tail(bytes, start);
  EXPECT_EQ(body[0], 241);
  EXPECT_EQ(body[1] | (body[2] << 8), 300);
  EXPECT_EQ(body[7 + 300], 241);
  size_t third = 7 + 300 + 7 + 1;
  EXPECT_EQ(body[third], 242);

  std::string medium_in(300, '\0'), large_in(70000, '\0');
  uint8_t nine = 0;
  EXPECT_EQ(ReadArchive(bytes,
                        [&](swArchive& ar) {
                          ar.ReadValue(medium_in.data(), 300, 1, nullptr);
                          ar.Read<uint8_t>(&nine, 300);
                          ar.ReadValue(large_in.data(), 70000, 1, nullptr);
                        }),
            0);
  EXPECT_EQ(medium_in, medium);
  EXPECT_EQ(nine, 9);
  EXPECT_EQ(large_in, large);
}

TEST(ArchiveVersionTest, NewerValueTakesDefaultAndSetsMissing) {
  // Written at version 1; a reader asking for a value of version 2 gets its default.
  auto bytes = WriteArchive(1, [](swArchive& ar) {
    ar.Write<uint32_t>(11, 1);
    ar.Write<uint32_t>(22, 2);  // newer than the data: not written at all
  });
  uint32_t a = 0, b = 0;
  bool missing_before = true, missing_after = false;
  EXPECT_EQ(ReadArchive(bytes,
                        [&](swArchive& ar) {
                          ar.Read<uint32_t>(&a, 1);
                          missing_before = ar.Missing();
                          ar.Read<uint32_t>(&b, 2, 77);
                          missing_after = ar.Missing();
                        }),
            0);
  EXPECT_EQ(a, 11u);
  EXPECT_EQ(b, 77u);
  EXPECT_FALSE(missing_before);
  EXPECT_TRUE(missing_after);
}

TEST(ArchiveVersionTest, OlderReaderSkipsGroupsAndObjectsOfOtherVersions) {
  // A version-3 writer puts values and objects of versions 2 and 3 between its version-1
  // values; a reader that knows only version 1 skips them.
  auto bytes = WriteArchive(3, [](swArchive& ar) {
    ar.Write<uint32_t>(1, 1);
    ar.Write<uint32_t>(2, 2);
    ar.Write<uint32_t>(3, 2);
    swString newer("newer");
    ar.WriteObject(newer, 3);
    ar.Write<uint16_t>(4, 1);
    ar.Write<uint32_t>(5, 3);
    ar.Write<uint32_t>(6, 1);
  });
  uint32_t first = 0, last = 0;
  uint16_t middle = 0;
  EXPECT_EQ(ReadArchive(bytes,
                        [&](swArchive& ar) {
                          ar.Read<uint32_t>(&first, 1);
                          ar.Read<uint16_t>(&middle, 1);
                          ar.Read<uint32_t>(&last, 1);
                        }),
            0);
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(middle, 4u);
  EXPECT_EQ(last, 6u);
}

TEST(ArchiveVersionTest, NewerStoredFormIsReadByOlderClassAndViceVersa) {
  // Stored form 2 carries `extra`; a reader of stored form 1 passes over it, and the next
  // object still reads.
  auto bytes = WriteArchive(
      1,
      [](swArchive& ar) {
        TestRecord r;
        r.number = 5;
        r.extra = 99;
        ar.WriteObjectRef(&r, 1);
        ar.Write<uint32_t>(1234, 1);
      },
      nullptr, nullptr, 2);
  swStorable* read = nullptr;
  uint32_t after = 0;
  EXPECT_EQ(ReadArchive(bytes,
                        [&](swArchive& ar) {
                          ar.ReadObjectRef(&read, 1);
                          ar.Read<uint32_t>(&after, 1);
                        }),
            0);
  std::unique_ptr<swStorable> owner(read);
  ASSERT_NE(read, nullptr);
  auto* record = static_cast<TestRecord*>(read);
  EXPECT_EQ(record->number, 5u);
  EXPECT_EQ(record->extra, 99);  // its stored form says 2, so the value is there
  EXPECT_EQ(after, 1234u);

  // An older file (stored form 1) read by the same class: extra takes its default.
  auto old_bytes = WriteArchive(1, [](swArchive& ar) {
    TestRecord r;
    r.extra = 99;
    ar.WriteObjectRef(&r, 1);
  });
  swStorable* old_read = nullptr;
  bool missing = false;
  EXPECT_EQ(ReadArchive(old_bytes,
                        [&](swArchive& ar) {
                          ar.ReadObjectRef(&old_read, 1);
                          missing = ar.Missing();
                        }),
            0);
  std::unique_ptr<swStorable> old_owner(old_read);
  ASSERT_NE(old_read, nullptr);
  EXPECT_EQ(static_cast<TestRecord*>(old_read)->extra, 0xBEEF);
  EXPECT_TRUE(missing);
}

TEST(ArchiveObjectTest, ObjectWrittenTwiceByReferenceIsCreatedOnce) {
  auto bytes = WriteArchive(1, [](swArchive& ar) {
    TestRecord r;
    r.number = 42;
    r.text = "shared";
    ar.WriteObjectRef(&r, 1);
    ar.WriteObjectRef(&r, 1);
    ar.WriteObjectRef(nullptr, 1);
  });
  TestRecord::created = 0;
  swStorable* first = nullptr;
  swStorable* second = nullptr;
  swStorable* third = reinterpret_cast<swStorable*>(&bytes);  // must become null
  EXPECT_EQ(ReadArchive(bytes,
                        [&](swArchive& ar) {
                          ar.ReadObjectRef(&first, 1);
                          ar.ReadObjectRef(&second, 1);
                          ar.ReadObjectRef(&third, 1);
                        }),
            0);
  std::unique_ptr<swStorable> owner(first);
  EXPECT_EQ(TestRecord::created, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(third, nullptr);
  EXPECT_EQ(static_cast<TestRecord*>(first)->number, 42u);
  EXPECT_STREQ(static_cast<TestRecord*>(first)->text.CStr(), "shared");
}

TEST(ArchiveObjectTest, NestedObjectsAndStringsRoundTrip) {
  auto bytes = WriteArchive(1, [](swArchive& ar) {
    TestRecord parent;
    auto* child = new TestRecord;
    child->number = 2;
    child->text = std::string(5000, 'c').c_str();
    parent.number = 1;
    parent.text = "parent";
    parent.child = child;
    parent.owned_child = child;
    ar.WriteObjectRef(&parent, 1);
  });
  swStorable* read = nullptr;
  EXPECT_EQ(ReadArchive(bytes, [&](swArchive& ar) { ar.ReadObjectRef(&read, 1); }), 0);
  std::unique_ptr<swStorable> owner(read);
  auto* parent = static_cast<TestRecord*>(read);
  ASSERT_NE(parent, nullptr);
  EXPECT_STREQ(parent->text.CStr(), "parent");
  auto* child = static_cast<TestRecord*>(parent->child);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->number, 2u);
  EXPECT_EQ(child->text.GetLength(), 5000u);
}

TEST(ArchiveObjectTest, EmbeddedObjectNewerThanDataReadsDefaults) {
  auto bytes = WriteArchive(1, [](swArchive& ar) {
    swString later("later");
    ar.WriteObject(later, 2);  // newer than the data: not written
    ar.Write<uint8_t>(7, 1);
  });
  swString text("unchanged");
  uint8_t seven = 0;
  EXPECT_EQ(ReadArchive(bytes,
                        [&](swArchive& ar) {
                          ar.ReadObject(text, 2);
                          ar.Read<uint8_t>(&seven, 1);
                        }),
            0);
  EXPECT_STREQ(text.CStr(), "unchanged");
  EXPECT_EQ(seven, 7);
}

TEST(ArchiveObjectTest, ClassFailuresGiveTheirStatus) {
  // Unregistered class on writing.
  swMemoryFile file;
  swArchive ar;
  EXPECT_TRUE(ar.RegisterCoreClasses(2).ok());
  ASSERT_TRUE(ar.Open(&file, true, true, nullptr, nullptr, nullptr, 1, nullptr, 0).ok());
  TestRecord r;
  EXPECT_EQ(ar.WriteObjectRef(&r, 1), kArchiveUnknownClass);
  EXPECT_EQ(ar.Write<uint32_t>(1, 1), kArchiveUnknownClass);  // the first error sticks
  EXPECT_EQ(ar.Close().code(), kArchiveUnknownClass);

  auto bytes = WriteArchive(1, [](swArchive& out) {
    TestRecord record;
    out.WriteObjectRef(&record, 1);
  });
  // Unregistered class on reading.
  {
    swMemoryFile in(bytes);
    swArchive reader;
    EXPECT_TRUE(reader.RegisterCoreClasses(2).ok());
    ASSERT_TRUE(reader.Open(&in, false, true, nullptr, nullptr, nullptr, 1, nullptr, 0).ok());
    swStorable* read = nullptr;
    EXPECT_EQ(reader.ReadObjectRef(&read, 1), kArchiveUnknownClass);
    EXPECT_EQ(read, nullptr);
  }
  // A factory that fails, and none at all: that class is refused at once, saying which.
  {
    swMemoryFile in(bytes);
    swArchive reader;
    EXPECT_TRUE(reader.RegisterCoreClasses(2).ok());
    const hv::Status refused = reader.RegisterClass(TestRecord::kId, nullptr, 1);
    EXPECT_TRUE(refused.failed());
    EXPECT_EQ(refused.message(),
              "class " + std::to_string(TestRecord::kId) + " cannot be registered: no factory");
    EXPECT_TRUE(reader
                    .RegisterClass(
                        TestRecord::kId, []() -> swStorable* { return nullptr; }, 1)
                    .ok());
    ASSERT_TRUE(reader.Open(&in, false, true, nullptr, nullptr, nullptr, 1, nullptr, 0).ok());
    swStorable* read = nullptr;
    EXPECT_EQ(reader.ReadObjectRef(&read, 1), kArchiveCannotCreate);
  }
  // An owner that accepts only another class: nothing is created.
  TestRecord::created = 0;
  swStorable* read = nullptr;
  EXPECT_EQ(
      ReadArchive(bytes,
                  [&](swArchive& reader) { reader.ReadObjectRefOfClass(&read, 1, kClassGuid); }),
      kArchiveBadStructure);
  EXPECT_EQ(read, nullptr);
  EXPECT_EQ(TestRecord::created, 0);
}

TEST(ArchiveScrambleTest, KeysDecideHowAFileReads) {
  const char* key = "0123456789abcdefghij,K";
  auto body = [](swArchive& ar) {
    swString secret("a secret text");
    ar.WriteObject(secret, 1);
    ar.Write<uint32_t>(0xCAFEF00D, 1);
  };
  auto scrambled = WriteArchive(1, body, key);
  auto plain = WriteArchive(1, body);
  EXPECT_EQ(scrambled[0], 1);
  EXPECT_EQ(scrambled.size(), plain.size());
  EXPECT_EQ(std::string(scrambled.begin(), scrambled.end()).find("secret"), std::string::npos);
  EXPECT_NE(std::string(plain.begin(), plain.end()).find("secret"), std::string::npos);

  auto read_back = [](swArchive& ar, swString* text, uint32_t* number) {
    ar.ReadObject(*text, 1);
    ar.Read<uint32_t>(number, 1);
  };
  for (const auto* bytes : {&scrambled, &plain}) {
    swString text;
    uint32_t number = 0;
    // With the key: the scrambled file reads back, and so does the plain one.
    EXPECT_EQ(ReadArchive(
                  *bytes, [&](swArchive& ar) { read_back(ar, &text, &number); }, key),
              0);
    EXPECT_STREQ(text.CStr(), "a secret text");
    EXPECT_EQ(number, 0xCAFEF00Du);
  }
  EXPECT_EQ(ReadArchive(scrambled, [](swArchive&) {}), kArchiveNeedsKey);
  // A wrong key reads garbage, which must end in a status, not a crash.
  EXPECT_NE(ReadArchive(
                scrambled,
                [&](swArchive& ar) {
                  swString text;
                  uint32_t number = 0;
                  read_back(ar, &text, &number);
                },
                "wrong key"),
            0);
}

TEST(ArchiveFormatTest, BadMarkersAndKeyFlagsGiveStatus10) {
  size_t start = 0;
  auto bytes = WriteArchive(
      1, [](swArchive&) {}, nullptr, &start);
  auto with_248 = bytes;
  with_248.push_back(248);
  uint32_t value = 5;
  EXPECT_EQ(ReadArchive(with_248, [&](swArchive& ar) { ar.Read<uint32_t>(&value, 1, 3); }),
            kArchiveBadMarker);
  EXPECT_EQ(value, 3u);  // a failed read delivers its default

  auto bad_key_flag = bytes;
  bad_key_flag[0] = 2;
  EXPECT_EQ(ReadArchive(bad_key_flag, [](swArchive&) {}), kArchiveBadMarker);

  // A group where an object by reference is expected.
  auto group_then_end = bytes;
  for (uint8_t b : {4, 1, 1, 0, 0, 0, 0, 245, 0, 0}) group_then_end.push_back(b);
  swStorable* object = nullptr;
  EXPECT_EQ(ReadArchive(group_then_end, [&](swArchive& ar) { ar.ReadObjectRef(&object, 1); }),
            kArchiveBadStructure);
  EXPECT_EQ(object, nullptr);

  // Reading past the end.
  EXPECT_EQ(ReadArchive(bytes, [&](swArchive& ar) { ar.Read<uint32_t>(&value, 1); }),
            kArchiveShortRead);
}

TEST(ArchiveFormatTest, ReferenceKindsAndIndexesAreChecked) {
  size_t start = 0;
  auto bytes = WriteArchive(
      1, [](swArchive&) {}, nullptr, &start);
  auto ref = [&](uint8_t kind, uint8_t index) {
    auto b = bytes;
    b.insert(b.end(), {244, 1, 0, 0, 0, 0x14, 0x10, 1, 0, kind, index, 0, 245, 0, 0});
    return b;
  };
  swStorable* object = nullptr;
  auto read = [&](swArchive& ar) { ar.ReadObjectRef(&object, 1); };
  EXPECT_EQ(ReadArchive(ref(1, 0), read), kArchiveBadMarker);  // no such entry yet
  EXPECT_EQ(ReadArchive(ref(0, 3), read), kArchiveBadMarker);  // new object out of order
  EXPECT_EQ(ReadArchive(ref(7, 0), read), kArchiveBadMarker);  // no such kind
  EXPECT_EQ(object, nullptr);
}

TEST(ArchiveSectionTest, SectionsAreFoundSkippedOrMissing) {
  const swGuid first(0x11111111, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1);
  const swGuid second(0x22222222, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2);
  const swGuid absent(0x33333333, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3);
  auto bytes = WriteArchive(
      1,
      [&](swArchive& ar) {
        ar.BeginSection(first, 1, false);
        ar.Write<uint32_t>(100, 1);
        ar.BeginSection(absent, 1, false);  // nested, unknown to the reader
        ar.Write<uint32_t>(150, 1);
        ar.EndSection();
        ar.EndSection();
        ar.BeginSection(second, 2, true);  // contents not scrambled
        ar.Write<uint32_t>(200, 2);
        ar.Write<uint32_t>(201, 2);  // the reader asks only for the first
        ar.EndSection();
        ar.Write<uint32_t>(300, 1);
      },
      "some key");
  uint32_t in_second = 0, missing_value = 0, after = 0;
  bool missing = false;
  EXPECT_EQ(ReadArchive(
                bytes,
                [&](swArchive& ar) {
                  ar.BeginSection(second, 2, true);  // passes over the first section
                  ar.Read<uint32_t>(&in_second, 2);
                  ar.EndSection();
                  ar.BeginSection(absent, 1, false);  // not at this level: defaults
                  ar.Read<uint32_t>(&missing_value, 1, 9);
                  missing = ar.Missing();
                  ar.EndSection();
                  ar.Read<uint32_t>(&after, 1);
                },
                "some key"),
            0);
  EXPECT_EQ(in_second, 200u);
  EXPECT_EQ(missing_value, 9u);
  EXPECT_TRUE(missing);
  EXPECT_EQ(after, 300u);

  // The unscrambled section's value is visible as it is; the scrambled rest is not.
  std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find(std::string("\xC8\x00\x00\x00", 4)), std::string::npos);  // 200
}

TEST(ArchiveRawTest, RawValuesAndObjectsReadAsStored) {
  // Hand-made raw stream: header, a u32, a new object (class 4100, stored form 1) by
  // reference whose data is number, string (length and characters, no flag byte) and a null
  // child, then the same object again, and a null.
  std::vector<uint8_t> bytes = {0,    0,    0,    0,    1,   0,    // no key, raw, version 1
                                0x78, 0x56, 0x34, 0x12,            // u32
                                1,    0,    0,    0,    0,         // kind 1 (new), index 0
                                1,    0,    0x04, 0x10,            // class 4100 << 16 | 1
                                9,    0,    0,    0,               // number
                                2,    0,    0,    0,    'h', 'i',  // text; extra (version 2) absent
                                2,    0,    0,    0,    0,         // its child: null
                                0,    0,    0,    0,    0,         // kind 0: the same object again
                                2,    0,    0,    0,    0};        // null
  swMemoryFile file(bytes);
  swArchive ar;
  EXPECT_TRUE(ar.RegisterCoreClasses(2).ok());
  EXPECT_TRUE(ar.RegisterClass(TestRecord::kId, TestRecord::Create, 1).ok());
  ASSERT_TRUE(ar.Open(&file, false, true, nullptr, nullptr, nullptr, 1, nullptr, 0).ok());
  EXPECT_FALSE(ar.IsTagged());
  uint32_t number = 0;
  swStorable* first = nullptr;
  swStorable* again = nullptr;
  swString placeholder;
  swStorable* null_one = &placeholder;
  ar.Read<uint32_t>(&number, 1);
  ar.ReadObjectRef(&first, 1);
  std::unique_ptr<swStorable> owner(first);
  EXPECT_EQ(number, 0x12345678u);
  ASSERT_NE(first, nullptr);
  auto* record = static_cast<TestRecord*>(first);
  EXPECT_EQ(record->number, 9u);
  EXPECT_STREQ(record->text.CStr(), "hi");
  EXPECT_EQ(record->extra, 0xBEEF);
  EXPECT_EQ(record->child, nullptr);
  ar.ReadObjectRef(&again, 1);
  ar.ReadObjectRef(&null_one, 1);
  EXPECT_EQ(again, first);
  EXPECT_EQ(null_one, nullptr);
  EXPECT_TRUE(ar.Close().ok());
}

TEST(ArchiveRawTest, ClassWithoutStoredFormGives13) {
  std::vector<uint8_t> bytes = {0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0x04, 0x10};
  swMemoryFile file(bytes);
  swArchive ar;
  EXPECT_TRUE(ar.RegisterClass(TestRecord::kId, TestRecord::Create, 0).ok());
  ASSERT_TRUE(ar.Open(&file, false, false, nullptr, nullptr, nullptr, 1, nullptr, 0).ok());
  swStorable* object = nullptr;
  EXPECT_EQ(ar.ReadObjectRef(&object, 1), kArchiveNoStoredForm);
}

TEST(ArchiveStatusTest, OpenAndDirectionErrors) {
  swArchive ar;
  EXPECT_EQ(ar.Open(nullptr, true, true, nullptr, nullptr, nullptr, 1, nullptr, 0).code(),
            kArchiveNoFile);
  swArchive unopened;
  EXPECT_EQ(unopened.Write<uint32_t>(1, 1), kArchiveNotOpen);
  uint32_t v = 4;
  EXPECT_EQ(unopened.Read<uint32_t>(&v, 1, 8), kArchiveNotOpen);
  EXPECT_EQ(v, 8u);

  swMemoryFile file;
  file.SetWriteLimit(10);
  swArchive full;
  EXPECT_TRUE(full.RegisterCoreClasses(2).ok());
  EXPECT_TRUE(full.Open(&file, true, true, nullptr, nullptr, nullptr, 1, nullptr, 0).ok());
  full.Write<uint32_t>(1, 1);
  // Written bytes reach the file in blocks; the failure shows by Close at the latest.
  const hv::Status closed = full.Close();
  EXPECT_TRUE(closed.Is(hv::Where::kArchive, kArchiveShortWrite)) << closed.ToString();
  EXPECT_EQ(full.Write<uint32_t>(2, 1), kArchiveNotOpen);

  // The archive's failures are positive numbers: "not open" (1) is a failure, not a refusal,
  // and it stays apart from the file class's own 1 ("already open").
  const hv::Status not_open = ArchiveStatus(kArchiveNotOpen);
  EXPECT_TRUE(not_open.failed());
  EXPECT_FALSE(not_open.declined());
  EXPECT_FALSE(not_open.Is(hv::Where::kFile, kArchiveNotOpen));
}

// A file that cannot be put back after the read-ahead would leave the next reader in the
// wrong place: Close reports it rather than return success.
TEST(ArchiveStatusTest, CloseReportsAFileThatCannotBeRewound) {
  class cStuckFile : public swMemoryFile {
   public:
    using swMemoryFile::swMemoryFile;
    hv::Status Seek(uint64_t offset) override {
      return stuck ? hv::Status::Failure(hv::Where::kFile, "stuck") : swMemoryFile::Seek(offset);
    }
    bool stuck = false;
  };
  auto bytes = WriteArchive(1, [](swArchive& ar) {
    for (uint32_t i = 0; i < 8; ++i) ar.Write<uint32_t>(i, 1);
  });
  for (bool stuck : {false, true}) {
    cStuckFile file(bytes);
    swArchive ar;
    ASSERT_TRUE(ar.RegisterCoreClasses(2).ok());
    ASSERT_TRUE(ar.Open(&file, false, true, nullptr, nullptr, nullptr, 1, nullptr, 0).ok());
    uint32_t first = 99;
    ASSERT_EQ(ar.Read<uint32_t>(&first, 1), 0);
    EXPECT_EQ(first, 0u);
    file.stuck = stuck;
    EXPECT_EQ(ar.Close().code(), stuck ? kArchiveShortRead : 0) << stuck;
  }
}

}  // namespace

}  // namespace hv
