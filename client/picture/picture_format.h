// Recognising a picture's format from the first bytes of its content. The file name is
// never consulted: the server names files as it likes, and a camera may send a PNG called
// ".jpg".
#ifndef HV_CLIENT_PICTURE_PICTURE_FORMAT_H_
#define HV_CLIENT_PICTURE_PICTURE_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace hv {

enum class ePictureFormat {
  kUnknown,
  kJpeg,  // FF D8 FF
  kGif,   // "GIF87a" or "GIF89a"
  kTiff,  // "II" 42 little-endian, "MM" 42 big-endian (and their 43 BigTIFF forms)
  kBmp,   // "BM"
  kPng,   // 89 "PNG" 0D 0A 1A 0A
};

// The format whose signature starts data[0..size), or kUnknown (also for null or short data).
ePictureFormat DetectPictureFormat(const uint8_t* data, size_t size);

}  // namespace hv

#endif  // HV_CLIENT_PICTURE_PICTURE_FORMAT_H_
