// swArchive: sections, identified by a swGuid, that a reader can skip or find missing.
#include "core/archive/archive.h"

namespace hv {

int swArchive::BeginSection(const swGuid& identity, uint16_t version, bool scramble_off) {
  if (!open_) return kArchiveNotOpen;
  if (status_ != 0) return status_;
  if (!tagged_) {
    // Raw data has no section markers: only the version applies.
    sections_.push_back({version_, bytes_.scrambling(), true});
    version_ = version;
    return 0;
  }

  if (storing_) {
    if (!FlushGroup()) return status_;
    bytes_.PutU8(246);
    swGuid id = identity;
    WriteEmbedded(id, 1);
    bytes_.PutU16(version);
    bytes_.PutU16(++section_counter_);
    bytes_.PutU16(scramble_off ? 1 : 0);
    sections_.push_back({version_, bytes_.scrambling(), true});
    version_ = version;
    if (scramble_off) bytes_.set_scrambling(false);
    return status_;
  }

  if (!DiscardGroupRest()) return status_;
  for (;;) {
    if (!pushed_back_ && BytesLeft() == 0) break;
    Header h;
    if (!ReadHeader(&h)) return status_;
    if (h.marker != 246) {
      PushBack(h);
      break;
    }
    if (h.section_id == identity) {
      sections_.push_back({version_, bytes_.scrambling(), true});
      version_ = h.version;
      if (h.scramble_off) bytes_.set_scrambling(false);
      return 0;
    }
    if (!SkipSection(h)) return status_;
  }
  // Not in the file: its values read as defaults.
  sections_.push_back({version_, bytes_.scrambling(), false});
  version_ = 0;
  missing_ = 1;
  return 0;
}

int swArchive::EndSection() {
  if (!open_) return kArchiveNotOpen;
  if (status_ != 0) return status_;
  if (sections_.empty()) return Fail(kArchiveBadStructure);
  SectionFrame frame = sections_.back();
  sections_.pop_back();
  if (tagged_ && storing_) {
    if (FlushGroup()) {
      bytes_.PutU8(247);
      bytes_.PutU16(section_counter_);
    }
    --section_counter_;
  } else if (tagged_ && frame.found) {
    // Whatever of the section this reader did not ask for is passed over up to its end.
    SkipUntil(247, 0);
  }
  version_ = frame.version;
  bytes_.set_scrambling(frame.scrambling);
  return status_;
}

}  // namespace hv
