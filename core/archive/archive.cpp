// swArchive: opening and closing. Writing and reading of values, objects and sections are in
// archive_write.cpp, archive_read.cpp and archive_section.cpp; the bytes themselves pass
// through ArchiveByteStream.
#include "core/archive/archive.h"

#include <algorithm>
#include <new>
#include <string>

namespace hv {

swArchive::~swArchive() {
  Close().Ignore("whoever cared about the result has closed it already");
  classes_.Clear();
}

int swArchive::Fail(int16_t status) {
  if (status_ == 0) status_ = status;
  return status_;
}

int swArchive::SerializeObject(swStorable& object) {
  try {
    if (!object.Serialize(*this).ok()) Fail(kArchiveSerializeFailed);
  } catch (const std::bad_alloc&) {
    Fail(kArchiveNoMemory);
  }
  return status_;
}

// True when the archive may go on: open, no error yet, and in the wanted direction.
bool swArchive::Ready(bool want_storing) {
  if (!open_) return false;
  if (status_ != 0) return false;
  if ((storing_ != 0) != want_storing) {
    Fail(kArchiveBadStructure);
    return false;
  }
  return true;
}

uint64_t swArchive::BytesLeft() const {
  if (!open_ || storing_) return 0;
  return bytes_.BytesLeft();
}

hv::Status swArchive::RegisterClass(uint16_t id, swFactory factory, uint16_t version) {
  return classes_.Register(id, factory, version);
}

hv::Status swArchive::Open(swFileBase* file, bool storing, bool tagged, swGuid* type_id,
                           swGuid* creator_id, swString* name, uint16_t version, const uint8_t* key,
                           uint32_t key_length, uint32_t /*reserved*/) {
  if (open_) Close().Ignore("a new file starts with a fresh status");
  status_ = 0;
  missing_ = 0;
  if (file == nullptr) return ArchiveStatus(Fail(kArchiveNoFile));
  if (!file->IsOpen()) return ArchiveStatus(Fail(kArchiveNotOpen));

  file_ = file;
  storing_ = storing ? 1 : 0;
  tagged_ = tagged ? 1 : 0;
  bytes_.Bind(file, key, key_length);
  sections_.clear();
  objects_.clear();
  written_.clear();
  version_ = version;
  nesting_ = 0;
  section_counter_ = 0;
  depth_ = 0;
  group_.clear();
  group_.reserve(kGroupCapacity + 2);
  pending_.count = 0;
  unread_.count = 0;
  pushed_back_ = false;
  open_ = true;

  // The tag of a tagged file, written or read: its type, creator and name, each an embedded
  // object. Absent ones are written empty and read into scratch; a failure stays in status_.
  const auto serialize_tag = [&] {
    swGuid type_scratch;
    swGuid creator_scratch;
    swString name_scratch;
    const auto embedded = [this](swStorable& object, uint16_t object_version) {
      if (storing_) {
        WriteEmbedded(object, object_version);
      } else {
        ReadEmbedded(object, object_version);
      }
    };
    embedded(type_id != nullptr ? *type_id : type_scratch, 2);
    embedded(creator_id != nullptr ? *creator_id : creator_scratch, 1);
    embedded(name != nullptr ? *name : name_scratch, 1);
  };

  if (storing_) {
    bytes_.PutU16(bytes_.HasKey() ? 1 : 0);
    bytes_.set_scrambling(bytes_.HasKey());
    bytes_.PutU16(tagged_);
    bytes_.PutU16(version);
    if (tagged_) serialize_tag();
    return ArchiveStatus(status_);
  }

  uint16_t key_flag = 0;
  if (!bytes_.GetU16(&key_flag)) return ArchiveStatus(status_);
  if (key_flag > 1) return ArchiveStatus(Fail(kArchiveBadMarker));
  if (key_flag == 0) bytes_.DropKey();
  if (key_flag == 1 && !bytes_.HasKey()) return ArchiveStatus(Fail(kArchiveNeedsKey));
  bytes_.set_scrambling(key_flag == 1);
  uint16_t stored_tagged = 0;
  uint16_t stored_version = 0;
  if (!bytes_.GetU16(&stored_tagged) || !bytes_.GetU16(&stored_version)) {
    return ArchiveStatus(status_);
  }
  if (stored_tagged > 1) return ArchiveStatus(Fail(kArchiveBadMarker));
  tagged_ = stored_tagged;
  version_ = stored_version;
  if (tagged_) serialize_tag();
  return ArchiveStatus(status_);
}

hv::Status swArchive::Close() {
  if (!open_) return ArchiveStatus(status_);
  if (storing_ && tagged_ && status_ == 0) FlushGroup();
  bytes_.Release(storing_ != 0);
  group_.clear();
  group_.shrink_to_fit();
  pending_.count = 0;
  sections_.clear();
  objects_.clear();
  written_.clear();
  unread_.count = 0;
  pushed_back_ = false;
  open_ = false;
  return ArchiveStatus(status_);
}

}  // namespace hv
