// swArchive: the versioned, tagged object file format of the core library, over a swFileBase.
//
// Every value carries the version that introduced it; values of equal size and version are
// packed in groups. Objects carry their class id and the version of their stored form, so a
// reader skips what it does not know and takes defaults for what an older file lacks.
// Sections can be skipped by identity; the stream can be scrambled with a caller's key.
//
// Stream layout (tagged): u16 key flag (never scrambled), u16 tagged flag, u16 archive version,
// then the type identity (embedded, tag 2), the creator identity (tag 1) and the name (tag 1).
// A group is a short header (size 1-240, version, count: one byte each) or marker 241 / 242
// with 2 / 4 size bytes and 2 bytes each of version and count, followed by its values.
// Marker 243 (embedded) and 244 (by reference): u16 version tag, u16 nesting id, u16 class id,
// u16 stored-form version; 244 adds u8 kind (0 new, 1 earlier, 2 null) and u16 table index.
// The object's values follow, ended by 245 and the u16 nesting id. Sections: 246, the identity
// (embedded), u16 version, u16 counter, u16 scramble-off flag ... 247 and the u16 counter.
// Raw mode (tagged flag 0) holds values only; an object by reference is u8 kind (0 earlier,
// 1 new, 2 null), u32 index, and for a new object u32 class id << 16 | stored-form version.
//
// Failures set the status to the first error (kArchive... below); it sticks: every later
// operation returns it at once, reads read nothing and deliver their default. A corrupt or
// hostile file costs a status, never a crash, a hang or an allocation beyond what it holds.
// The archive reads and writes at the file's current position and never closes the file.
#ifndef HV_CORE_ARCHIVE_ARCHIVE_H_
#define HV_CORE_ARCHIVE_ARCHIVE_H_

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/archive/archive_byte_stream.h"
#include "core/archive/class_registry.h"
#include "core/archive/file_base.h"
#include "core/guid/guid.h"
#include "core/serializer.h"
#include "core/string/sw_string.h"

namespace hv {

class swArchive : public swSerializer {
 public:
  // Values wait in the group buffer up to this many bytes; a larger value goes out directly.
  static constexpr uint32_t kGroupCapacity = 2047;
  // Objects and sections nested deeper than this in a file being read are refused (status 9),
  // so a hostile file cannot exhaust the stack.
  static constexpr int kMaxReadDepth = 32;

  swArchive() = default;
  swArchive(const swArchive&) = delete;
  swArchive& operator=(const swArchive&) = delete;
  ~swArchive() override;  // closes the archive and frees the registry's entries

  // Binds the archive to an open file and writes or reads the file header. When writing, null
  // identities and name are written as zero and empty; when reading, the stored tagged flag and
  // version replace the caller's and the header objects are read into the non-null ones.
  // A key of key_length bytes scrambles the stream; a plain file read with a key reads
  // normally. The header's objects need the core classes registered first. Fails with the
  // archive's code (ArchiveStatus(Status())).
  [[nodiscard]] hv::Status Open(swFileBase* file, bool storing, bool tagged, swGuid* type_id,
                                swGuid* creator_id, swString* name, uint16_t version,
                                const uint8_t* key, uint32_t key_length, uint32_t reserved = 0);
  // Flushes pending values and forgets the key, the sections and the object table (the
  // objects themselves belong to whoever read them). Fails with the archive's code.
  [[nodiscard]] hv::Status Close();

  // Fails when there is no factory or the entry cannot be allocated.
  [[nodiscard]] hv::Status RegisterClass(uint16_t id, swFactory factory, uint16_t version);
  // Registers the core classes (ids 5000-5013) with their stored-form version in archives of
  // `kind`: 1 in kinds 1 and 2. Fails for another kind or when an entry cannot be allocated.
  [[nodiscard]] hv::Status RegisterCoreClasses(uint16_t kind);

  bool IsOpen() const { return open_; }
  bool IsStoring() const override { return storing_ != 0; }
  bool IsTagged() const override { return tagged_ != 0; }
  int Status() const override { return status_; }
  // Set by a read that delivered a default; stays set until the archive is opened again.
  bool Missing() const { return missing_ != 0; }
  // Bytes the file still holds after the read position; 0 when writing.
  uint64_t BytesLeft() const override;
  uint16_t Version() const { return version_; }

  int WriteValue(const void* data, uint32_t size, uint16_t version) override;
  int ReadValue(void* data, uint32_t size, uint16_t version, const void* default_value) override;
  int WriteObject(swStorable& object, uint16_t version) override;
  int ReadObject(swStorable& object, uint16_t version) override;
  int WriteObjectRef(swStorable* object, uint16_t version) override;
  int ReadObjectRef(swStorable** object, uint16_t version) override;
  int ReadObjectRefOfClass(swStorable** object, uint16_t version, uint16_t class_id) override;

  int BeginSection(const swGuid& identity, uint16_t version, bool scramble_off);
  int EndSection();

 private:
  struct Header {
    uint8_t marker = 0;
    uint32_t size = 0;
    uint16_t version = 0;
    uint16_t count = 0;
    uint16_t nesting = 0;  // also the id of an end marker 245 or 247
    uint16_t scramble_off = 0;
    uint16_t class_id = 0;
    uint8_t ref_kind = 0;
    uint16_t ref_index = 0;
    swGuid section_id;
    uint16_t stored_version = 0;
  };
  // What an open section saved: restored by its end.
  struct SectionFrame {
    uint16_t version;
    bool scrambling;
    bool found;  // reading: the section is in the file (else its values read as defaults)
  };
  // A run of `count` values of one size and version.
  struct ValueRun {
    uint64_t Bytes() const { return static_cast<uint64_t>(size) * count; }

    uint32_t size = 0;
    uint16_t version = 0;
    uint16_t count = 0;
  };

  int Fail(int16_t status);
  // Runs the object's Serialize. Its strings and containers throw std::bad_alloc when memory
  // runs out; that becomes kArchiveNoMemory here, so the objects already made stay with the
  // callers, who free them on a failed status.
  int SerializeObject(swStorable& object);
  // What an operation returns when Ready said no.
  int Refused() const { return open_ ? status_ : kArchiveNotOpen; }
  bool Ready(bool want_storing);

  // Writing.
  bool FlushGroup();
  bool PutGroupHeader(uint32_t size, uint16_t version, uint16_t count);
  const swClassInfo* ClassFor(const swStorable& object);
  int WriteObjectBody(swStorable& object, const swClassInfo& info, uint16_t nesting);
  int WriteEmbedded(swStorable& object, uint16_t version);
  int WriteRaw(const void* data, uint32_t size, uint16_t version);
  int WriteObjectRefRaw(swStorable* object);

  // Reading.
  bool ReadHeader(Header* header);
  void PushBack(const Header& header);
  bool DiscardGroupRest();
  // Skips headers and their data up to the end marker 245 of `nesting`, or with end_marker 247
  // up to the end of the section being skipped; sections opened on the way are balanced.
  bool SkipUntil(uint8_t end_marker, uint16_t nesting);
  bool SkipSection(const Header& header);
  bool SkipObject(const Header& header);
  bool FindObjectHeader(uint8_t marker, uint16_t version, Header* header);
  // FindObjectHeader for an object stored at exactly `version`: one stored at an older version
  // is skipped and counts as missing. False when there is no such object to read.
  bool FindObjectOfVersion(uint8_t marker, uint16_t version, Header* header);
  int ReadObjectBody(swStorable& object, const Header& header);
  int ReadEmbedded(swStorable& object, uint16_t version);
  int ReadObjectRefTagged(swStorable** object, uint16_t version, int32_t class_id);
  int ReadObjectRefRaw(swStorable** object, int32_t class_id);

  int16_t status_ = 0;
  swFileBase* file_ = nullptr;
  bool open_ = false;
  uint16_t storing_ = 0;
  uint16_t tagged_ = 1;
  // The byte level, which also holds the key and the count of scrambled bytes.
  ArchiveByteStream bytes_{status_};
  uint16_t missing_ = 0;
  swClassInfoList classes_;
  std::vector<SectionFrame> sections_;
  std::vector<swStorable*> objects_;
  std::unordered_map<const swStorable*, uint16_t> written_;  // writing: table index of each
  uint16_t version_ = 0;
  uint16_t nesting_ = 0;
  uint16_t section_counter_ = 0;
  int depth_ = 0;

  // Writing: the pending group's values, and their size, version and count.
  std::vector<uint8_t> group_;
  ValueRun pending_;

  // Reading: the current group's size and version and how many of its values are left, and
  // the last header.
  ValueRun unread_;
  bool pushed_back_ = false;
  Header pushed_;  // the header to be delivered again
  Header header_;  // the last header read
};

}  // namespace hv

#endif  // HV_CORE_ARCHIVE_ARCHIVE_H_
