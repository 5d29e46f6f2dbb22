// swArchive: reading headers, values, objects by value and by reference, and skipping what a
// reader does not ask for. Every length read from the file is checked against what the file
// still holds before anything is skipped or allocated.
#include <cstring>

#include "core/archive/archive.h"

namespace hv {

namespace {

void Deliver(void* data, uint32_t size, const void* default_value) {
  if (data == nullptr || size == 0) return;
  if (default_value != nullptr) {
    std::memcpy(data, default_value, size);
  } else {
    std::memset(data, 0, size);
  }
}

bool IsGroup(uint8_t marker) { return marker <= 242; }

}  // namespace

void swArchive::PushBack(const Header& header) {
  pushed_ = header;
  pushed_back_ = true;
}

bool swArchive::ReadHeader(Header* out) {
  if (status_ != 0) return false;
  if (pushed_back_) {
    pushed_back_ = false;
    *out = pushed_;
    return true;
  }
  Header h;
  if (!bytes_.GetU8(&h.marker)) return false;
  uint8_t marker = h.marker;
  if (marker > 247 || marker == 0) {
    Fail(kArchiveBadMarker);
    return false;
  }
  if (marker <= 240) {
    uint8_t version = 0;
    uint8_t count = 0;
    bytes_.GetU8(&version);
    bytes_.GetU8(&count);
    h.size = marker;
    h.version = version;
    h.count = count;
  } else if (marker == 241 || marker == 242) {
    if (marker == 241) {
      uint16_t size = 0;
      bytes_.GetU16(&size);
      h.size = size;
    } else {
      bytes_.GetU32(&h.size);
    }
    bytes_.GetU16(&h.version);
    bytes_.GetU16(&h.count);
    if (status_ == 0 && h.size == 0) Fail(kArchiveBadMarker);
  } else if (marker == 243 || marker == 244) {
    bytes_.GetU16(&h.version);
    bytes_.GetU16(&h.nesting);
    bytes_.GetU16(&h.class_id);
    bytes_.GetU16(&h.stored_version);
    if (marker == 244) {
      bytes_.GetU8(&h.ref_kind);
      bytes_.GetU16(&h.ref_index);
    }
  } else if (marker == 245 || marker == 247) {
    bytes_.GetU16(&h.nesting);
  } else {  // 246: a section, whose identity is an embedded object
    if (depth_ >= kMaxReadDepth) {
      Fail(kArchiveBadStructure);
      return false;
    }
    ++depth_;
    ReadEmbedded(h.section_id, 1);
    --depth_;
    bytes_.GetU16(&h.version);
    bytes_.GetU16(&h.nesting);
    bytes_.GetU16(&h.scramble_off);
  }
  if (status_ != 0) return false;
  header_ = h;
  *out = h;
  return true;
}

bool swArchive::DiscardGroupRest() {
  if (unread_.count == 0) return status_ == 0;
  uint64_t rest = unread_.Bytes();
  unread_.count = 0;
  return bytes_.Skip(rest);
}

// A skipped object by reference still takes its place in the object table, as an empty entry,
// so the indexes of later objects stay in step with the writer's.
bool swArchive::SkipObject(const Header& header) {
  if (header.marker == 244) {
    if (header.ref_kind == 0) {
      if (header.ref_index != objects_.size()) {
        Fail(kArchiveBadMarker);
        return false;
      }
      objects_.push_back(nullptr);
    } else if (header.ref_kind == 1 ? header.ref_index >= objects_.size() : header.ref_kind != 2) {
      Fail(kArchiveBadMarker);
      return false;
    }
  }
  return SkipUntil(245, header.nesting);
}

bool swArchive::SkipUntil(uint8_t end_marker, uint16_t nesting) {
  if (!DiscardGroupRest()) return false;
  // Scrambling states saved by the sections opened while skipping.
  std::vector<uint8_t> inner;
  for (;;) {
    Header h;
    if (!ReadHeader(&h)) return false;
    if (IsGroup(h.marker)) {
      if (!bytes_.Skip(static_cast<uint64_t>(h.size) * h.count)) return false;
    } else if (h.marker == 244 && h.ref_kind == 0) {
      // Keep the table in step, as SkipObject does; the object's data follows as headers.
      if (h.ref_index != objects_.size()) {
        Fail(kArchiveBadMarker);
        return false;
      }
      objects_.push_back(nullptr);
    } else if (h.marker == 245) {
      if (end_marker == 245 && h.nesting == nesting && inner.empty()) return true;
    } else if (h.marker == 246) {
      inner.push_back(bytes_.scrambling() ? 1 : 0);
      if (h.scramble_off) bytes_.set_scrambling(false);
    } else if (h.marker == 247) {
      if (inner.empty()) {
        if (end_marker == 247) return true;
        Fail(kArchiveBadStructure);
        return false;
      }
      bytes_.set_scrambling(inner.back() != 0);
      inner.pop_back();
    }
  }
}

bool swArchive::SkipSection(const Header& header) {
  bool saved = bytes_.scrambling();
  if (header.scramble_off) bytes_.set_scrambling(false);
  bool ok = SkipUntil(247, 0);
  bytes_.set_scrambling(saved);
  return ok;
}

int swArchive::ReadValue(void* data, uint32_t size, uint16_t version, const void* default_value) {
  if (!Ready(false)) {
    Deliver(data, size, default_value);
    return Refused();
  }
  if (size == 0) return 0;
  // A value newer than the data being read is not in it.
  if (version > version_) {
    Deliver(data, size, default_value);
    missing_ = 1;
    return 0;
  }
  if (!tagged_) {
    if (!bytes_.Get(data, size)) Deliver(data, size, default_value);
    return status_;
  }
  for (;;) {
    if (unread_.count > 0) {
      if (unread_.version == version) {
        if (unread_.size != size) {
          Fail(kArchiveBadStructure);
          break;
        }
        if (!bytes_.Get(data, size)) break;
        --unread_.count;
        return 0;
      }
      // A group of another version holds values this reader does not ask for.
      if (!DiscardGroupRest()) break;
    }
    Header h;
    if (!ReadHeader(&h)) break;
    if (IsGroup(h.marker)) {
      unread_ = ValueRun{h.size, h.version, h.count};
    } else if (h.marker == 243 || (h.marker == 244 && h.version > version)) {
      // An object a newer writer put between the values.
      if (!SkipObject(h)) break;
    } else if (h.marker == 246) {
      if (!SkipSection(h)) break;
    } else {
      Fail(kArchiveBadStructure);
      break;
    }
  }
  Deliver(data, size, default_value);
  return status_;
}

// Finds the header of the next object, skipping values and sections the reader did not ask
// for and objects newer than `version`. An object of `marker` with a version tag up to
// `version` is delivered; anything else is a structure error.
bool swArchive::FindObjectHeader(uint8_t marker, uint16_t version, Header* out) {
  for (;;) {
    if (!DiscardGroupRest()) return false;
    Header h;
    if (!ReadHeader(&h)) return false;
    if (IsGroup(h.marker)) {
      if (!bytes_.Skip(static_cast<uint64_t>(h.size) * h.count)) return false;
    } else if (h.marker == 246) {
      if (!SkipSection(h)) return false;
    } else if (h.marker == 243 || h.marker == 244) {
      if (h.marker == marker && h.version <= version) {
        *out = h;
        return true;
      }
      if (h.version <= version) {
        Fail(kArchiveBadStructure);
        return false;
      }
      if (!SkipObject(h)) return false;
    } else {
      Fail(kArchiveBadStructure);
      return false;
    }
  }
}

bool swArchive::FindObjectOfVersion(uint8_t marker, uint16_t version, Header* out) {
  if (!FindObjectHeader(marker, version, out)) return false;
  if (out->version == version) return true;
  SkipObject(*out);
  missing_ = 1;
  return false;
}

int swArchive::ReadObjectBody(swStorable& object, const Header& header) {
  if (depth_ >= kMaxReadDepth) return Fail(kArchiveBadStructure);
  ++depth_;
  uint16_t saved_nesting = nesting_;
  uint16_t saved_version = version_;
  nesting_ = static_cast<uint16_t>(header.nesting + 1);
  version_ = header.stored_version;
  SerializeObject(object);
  // Whatever a newer writer stored beyond what this reader knows is passed over.
  if (tagged_ && status_ == 0) SkipUntil(245, header.nesting);
  nesting_ = saved_nesting;
  version_ = saved_version;
  --depth_;
  return status_;
}

// An embedded object whatever the current version: the header's objects use it directly.
int swArchive::ReadEmbedded(swStorable& object, uint16_t version) {
  if (!tagged_) {
    const swClassInfo* info = classes_.Find(object.ClassId());
    if (info == nullptr) return Fail(kArchiveUnknownClass);
    if (info->stored_version == 0) return Fail(kArchiveNoStoredForm);
    Header h;
    h.nesting = nesting_;
    h.stored_version = info->stored_version;
    return ReadObjectBody(object, h);
  }
  Header h;
  if (!FindObjectOfVersion(243, version, &h)) return status_;
  if (h.class_id != object.ClassId()) return Fail(kArchiveBadStructure);
  return ReadObjectBody(object, h);
}

int swArchive::ReadObject(swStorable& object, uint16_t version) {
  if (!Ready(false)) return Refused();
  if (version > version_) {
    // Introduced after this data was written: with current version 0 every value of the
    // object takes its default.
    uint16_t saved = version_;
    version_ = 0;
    SerializeObject(object);
    version_ = saved;
    missing_ = 1;
    return status_;
  }
  return ReadEmbedded(object, version);
}

int swArchive::ReadObjectRef(swStorable** object, uint16_t version) {
  return ReadObjectRefTagged(object, version, -1);
}

int swArchive::ReadObjectRefOfClass(swStorable** object, uint16_t version, uint16_t class_id) {
  return ReadObjectRefTagged(object, version, class_id);
}

int swArchive::ReadObjectRefTagged(swStorable** object, uint16_t version, int32_t class_id) {
  if (!Ready(false)) return Refused();
  if (object == nullptr) return Fail(kArchiveBadStructure);
  if (version > version_) {
    missing_ = 1;
    return 0;
  }
  if (!tagged_) return ReadObjectRefRaw(object, class_id);

  Header h;
  if (!FindObjectOfVersion(244, version, &h)) return status_;
  switch (h.ref_kind) {
    case 2:
      *object = nullptr;
      SkipUntil(245, h.nesting);
      return status_;
    case 1: {
      if (h.ref_index >= objects_.size()) return Fail(kArchiveBadMarker);
      swStorable* known = objects_[h.ref_index];
      if (known == nullptr) return Fail(kArchiveCannotCreate);
      if (class_id >= 0 && known->ClassId() != class_id) return Fail(kArchiveBadStructure);
      *object = known;
      SkipUntil(245, h.nesting);
      return status_;
    }
    case 0: {
      if (h.ref_index != objects_.size()) return Fail(kArchiveBadMarker);
      if (class_id >= 0 && h.class_id != class_id) return Fail(kArchiveBadStructure);
      const swClassInfo* info = classes_.Find(h.class_id);
      if (info == nullptr) return Fail(kArchiveUnknownClass);
      // The table's room first: once the object exists, nothing may throw before it has an
      // owner.
      objects_.reserve(objects_.size() + 1);
      swStorable* created = info->create();
      if (created == nullptr) return Fail(kArchiveCannotCreate);
      objects_.push_back(created);
      *object = created;  // the caller owns it from here, even when its data fails to read
      return ReadObjectBody(*created, h);
    }
    default: return Fail(kArchiveBadMarker);
  }
}

int swArchive::ReadObjectRefRaw(swStorable** object, int32_t class_id) {
  uint8_t kind = 0;
  uint32_t index = 0;
  if (!bytes_.GetU8(&kind) || !bytes_.GetU32(&index)) return status_;
  switch (kind) {
    case 2: *object = nullptr; return 0;
    case 0: {
      if (index >= objects_.size()) return Fail(kArchiveBadMarker);
      swStorable* known = objects_[index];
      if (known == nullptr) return Fail(kArchiveCannotCreate);
      if (class_id >= 0 && known->ClassId() != class_id) return Fail(kArchiveBadStructure);
      *object = known;
      return 0;
    }
    case 1: {
      if (index != objects_.size() || index >= 0xFFFF) return Fail(kArchiveBadMarker);
      uint32_t word = 0;
      if (!bytes_.GetU32(&word)) return status_;
      auto stored_class = static_cast<uint16_t>(word >> 16);
      if (class_id >= 0 && stored_class != class_id) return Fail(kArchiveBadStructure);
      const swClassInfo* info = classes_.Find(stored_class);
      if (info == nullptr) return Fail(kArchiveUnknownClass);
      if (info->stored_version == 0) return Fail(kArchiveNoStoredForm);
      // The table's room first: once the object exists, nothing may throw before it has an
      // owner.
      objects_.reserve(objects_.size() + 1);
      swStorable* created = info->create();
      if (created == nullptr) return Fail(kArchiveCannotCreate);
      objects_.push_back(created);
      *object = created;
      Header h;
      h.nesting = nesting_;
      h.stored_version = static_cast<uint16_t>(word & 0xFFFF);
      return ReadObjectBody(*created, h);
    }
    default: return Fail(kArchiveBadMarker);
  }
}

}  // namespace hv
