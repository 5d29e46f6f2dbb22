#include "core/string/char_mask.h"

#include "core/serializer.h"

namespace hv {

constinit const swNumbersMask kNumbersMask;
constinit const swUpperMask kUpperMask;
constinit const swLowerMask kLowerMask;
constinit const swControlMask kControlMask;
constinit const swHighAsciiMask kHighAsciiMask;
constinit const swAllMask kAllMask;
constinit const swPunctuationMask kPunctuationMask;

hv::Status swCharMask::Serialize(swSerializer& archive) {
  if (archive.IsStoring()) {
    int rc = 0;
    for (int i = 0; rc == 0 && i < kWords; ++i) rc = archive.Write<uint32_t>(words_[i], 1);
    return ArchiveStatus(rc != 0 ? rc : archive.Status());
  }
  uint32_t words[kWords] = {};
  int rc = 0;
  for (int i = 0; rc == 0 && i < kWords; ++i) rc = archive.Read<uint32_t>(&words[i], 1);
  if (rc == 0 && archive.Status() == 0) {
    for (int i = 0; i < kWords; ++i) words_[i] = words[i];
  }
  return ArchiveStatus(rc != 0 ? rc : archive.Status());
}

}  // namespace hv
