#include "client/picture/picture_format.h"

#include <cstring>

namespace hv {

namespace {

bool StartsWith(const uint8_t* data, size_t size, const void* signature, size_t length) {
  return size >= length && std::memcmp(data, signature, length) == 0;
}

}  // namespace

ePictureFormat DetectPictureFormat(const uint8_t* data, size_t size) {
  if (data == nullptr) return ePictureFormat::kUnknown;
  static const uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
  static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  static const uint8_t kTiffLittle[] = {'I', 'I', 42, 0};
  static const uint8_t kTiffBig[] = {'M', 'M', 0, 42};
  static const uint8_t kBigTiffLittle[] = {'I', 'I', 43, 0};
  static const uint8_t kBigTiffBig[] = {'M', 'M', 0, 43};
  if (StartsWith(data, size, kJpeg, sizeof kJpeg)) return ePictureFormat::kJpeg;
  if (StartsWith(data, size, kPng, sizeof kPng)) return ePictureFormat::kPng;
  if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) {
    return ePictureFormat::kGif;
  }
  if (StartsWith(data, size, kTiffLittle, 4) || StartsWith(data, size, kTiffBig, 4) ||
      StartsWith(data, size, kBigTiffLittle, 4) || StartsWith(data, size, kBigTiffBig, 4)) {
    return ePictureFormat::kTiff;
  }
  // "BM" alone is a weak signature; the BMP decoder checks the rest of the header.
  if (StartsWith(data, size, "BM", 2)) return ePictureFormat::kBmp;
  return ePictureFormat::kUnknown;
}

}  // namespace hv
