// Limits on decoded pictures. Every decoder checks a picture's size from its header against
// these before it allocates anything, so a hostile or corrupt file costs an error, not
// gigabytes of memory. Thumbnails are 80 x 60 and the website button is smaller still; the
// limits leave room for full camera pictures.
#ifndef HV_CLIENT_PICTURE_PICTURE_LIMITS_H_
#define HV_CLIENT_PICTURE_PICTURE_LIMITS_H_

#include <cstddef>
#include <cstdint>

namespace hv {

constexpr uint32_t kMaxPictureSide = 16384;                      // pixels per side
constexpr uint64_t kMaxPictureBytes = 64ull * 1024 * 1024;       // decoded 32-bit pixels
constexpr uint64_t kMaxPictureFileBytes = 128ull * 1024 * 1024;  // encoded file read whole

// True when a width x height bitmap of 32-bit pixels may be allocated: both sides at least
// 1 and at most kMaxPictureSide, and the pixels at most kMaxPictureBytes.
constexpr bool PictureSizeAllowed(uint64_t width, uint64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height * 4 <= kMaxPictureBytes;
}

}  // namespace hv

#endif  // HV_CLIENT_PICTURE_PICTURE_LIMITS_H_
