// Encoders that make small picture files for the picture layer's tests and benchmarks, in
// every format the loader reads. They write to memory; a failure gives an empty vector.
// Not part of the program.
#ifndef HV_CLIENT_PICTURE_TESTING_SAMPLE_PICTURES_H_
#define HV_CLIENT_PICTURE_TESTING_SAMPLE_PICTURES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "client/picture/bitmap.h"

namespace hv {

using cPictureBytes = std::vector<uint8_t>;

// The opaque colours the samples are drawn in.
inline constexpr uint32_t kOpaqueRed = ArgbPixel(255, 255, 0, 0);
inline constexpr uint32_t kOpaqueGreen = ArgbPixel(255, 0, 255, 0);
inline constexpr uint32_t kOpaqueBlue = ArgbPixel(255, 0, 0, 255);
inline constexpr uint32_t kOpaqueWhite = ArgbPixel(255, 255, 255, 255);
inline constexpr uint32_t kOpaqueBlack = ArgbPixel(255, 0, 0, 0);

// A width x height picture of four opaque quadrants: red top-left, green top-right, blue
// bottom-left, white bottom-right (the left/top halves take the middle row/column's floor).
cBitmap MakeQuadrantPicture(uint32_t width, uint32_t height);

// A camera-like picture as the server's thumbnails come, a JPEG of quality 75: smooth
// gradients with some grain, so that it is neither trivially flat nor pure noise.
cPictureBytes CameraLikeJpeg(uint32_t width, uint32_t height);

struct sJpegSampleOptions {
  int quality = 95;
  bool progressive = false;
  bool greyscale = false;
  // The picture's bytes (B, G, R, A in memory) are stored as C, M, Y, K samples, with an
  // Adobe marker, as Adobe's inverted CMYK files are.
  bool cmyk = false;
};
cPictureBytes EncodeJpegSample(const cBitmap& picture, const sJpegSampleOptions& options = {});

cPictureBytes EncodePngSample(const cBitmap& picture);

// The palette is made of the picture's distinct colours (at most 256); fully transparent
// pixels become the graphic control block's transparent colour.
cPictureBytes EncodeGifSample(const cBitmap& picture, bool interlaced = false);

struct sTiffSampleOptions {
  bool big_endian = false;
  uint16_t compression = 1;  // COMPRESSION_NONE; 5 LZW, 8 deflate
  bool with_alpha = false;   // RGBA with unassociated alpha, else RGB
  uint32_t rows_per_strip = 4;
};
cPictureBytes EncodeTiffSample(const cBitmap& picture, const sTiffSampleOptions& options = {});

struct sBmpSampleOptions {
  uint16_t bits = 24;  // 8 (palette of distinct colours), 24 or 32
  bool top_down = false;
  bool alpha_bitfields = false;  // 32 bits only: V5 header with B-G-R-A masks
};
cPictureBytes EncodeBmpSample(const cBitmap& picture, const sBmpSampleOptions& options = {});

// Writes bytes to path (replacing it); false on failure.
bool WriteSampleFile(const std::string& path, const cPictureBytes& bytes);

}  // namespace hv

#endif  // HV_CLIENT_PICTURE_TESTING_SAMPLE_PICTURES_H_
