// Helpers for the archive's tests: a small storable class and archive round trips in memory.
#ifndef HV_CORE_TESTING_ARCHIVE_TEST_SUPPORT_H_
#define HV_CORE_TESTING_ARCHIVE_TEST_SUPPORT_H_

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "core/archive/archive.h"
#include "core/testing/memory_file.h"

namespace hv {

// A storable with a number, a text and an optional child by reference. Version 2 of its
// stored form adds `extra`.
class TestRecord : public swStorable {
 public:
  static constexpr uint16_t kId = 4100;
  static inline int created = 0;
  // When set, every instance the factory makes is listed here and freed by the test, and
  // records do not own their children (a corrupt file may share them in any way).
  static inline std::vector<swStorable*>* arena = nullptr;

  uint16_t ClassId() const override { return kId; }
  hv::Status Serialize(swSerializer& ar) override {
    if (ar.IsStoring()) {
      ar.Write<uint32_t>(number, 1);
      ar.WriteObject(text, 1);
      ar.Write<uint16_t>(extra, 2);
      ar.WriteObjectRef(child, 1);
    } else {
      ar.Read<uint32_t>(&number, 1, 0);
      ar.ReadObject(text, 1);
      ar.Read<uint16_t>(&extra, 2, 0xBEEF);
      ar.ReadObjectRef(&child, 1);
      if (child != nullptr && child != this && arena == nullptr) owned_child = child;
    }
    return ArchiveStatus(ar.Status());
  }
  ~TestRecord() override { delete owned_child; }

  static swStorable* Create() {
    ++created;
    auto* record = new (std::nothrow) TestRecord();
    if (arena != nullptr && record != nullptr) arena->push_back(record);
    return record;
  }

  uint32_t number = 0;
  swString text;
  uint16_t extra = 0;
  swStorable* child = nullptr;
  swStorable* owned_child = nullptr;
};

inline const uint8_t* KeyBytes(const char* key) { return reinterpret_cast<const uint8_t*>(key); }
inline uint32_t KeyLength(const char* key) {
  return key != nullptr ? static_cast<uint32_t>(std::strlen(key)) : 0;
}

// Writes a tagged archive of `version` whose body `body` writes; returns the bytes.
// `body_start`, when given, receives the offset at which the body begins.
inline std::vector<uint8_t> WriteArchive(uint16_t version,
                                         const std::function<void(swArchive&)>& body,
                                         const char* key = nullptr, size_t* body_start = nullptr,
                                         uint16_t record_version = 1) {
  swMemoryFile file;
  swArchive ar;
  EXPECT_TRUE(ar.RegisterCoreClasses(2).ok());
  EXPECT_TRUE(ar.RegisterClass(TestRecord::kId, TestRecord::Create, record_version).ok());
  swGuid type(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
  swGuid creator(12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22);
  swString name("Test archive");
  EXPECT_TRUE(
      ar.Open(&file, true, true, &type, &creator, &name, version, KeyBytes(key), KeyLength(key))
          .ok());
  body(ar);
  ar.Close().Ignore("a failed write shows in the bytes the test compares");
  if (body_start != nullptr) {
    // The header alone: the same archive with nothing in it.
    *body_start = WriteArchive(
                      version, [](swArchive&) {}, key, nullptr, record_version)
                      .size();
  }
  return file.bytes();
}

// Opens `bytes` for reading (registering the core classes and TestRecord with stored-form
// version `record_version`) and runs `body`; returns the archive's status after Close.
inline int ReadArchive(const std::vector<uint8_t>& bytes,
                       const std::function<void(swArchive&)>& body, const char* key = nullptr,
                       uint16_t record_version = 1) {
  swMemoryFile file(bytes);
  swArchive ar;
  EXPECT_TRUE(ar.RegisterCoreClasses(2).ok());
  EXPECT_TRUE(ar.RegisterClass(TestRecord::kId, TestRecord::Create, record_version).ok());
  swGuid type;
  swGuid creator;
  swString name;
  if (ar.Open(&file, false, true, &type, &creator, &name, 1, KeyBytes(key), KeyLength(key)).ok()) {
    body(ar);
  }
  return ar.Close().code();
}

// Bytes as two hex digits each, sixteen to a line, for pinning a file's bytes in a test.
inline std::string HexDump(const std::vector<uint8_t>& bytes) {
  std::string out;
  char two[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(two, sizeof two, "%02x", bytes[i]);
    out += two;
    out += (i % 16 == 15) ? '\n' : ' ';
  }
  return out;
}

// The bytes of a HexDump text.
inline std::vector<uint8_t> FromHexDump(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 3) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

}  // namespace hv

#endif  // HV_CORE_TESTING_ARCHIVE_TEST_SUPPORT_H_
