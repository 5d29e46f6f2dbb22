// The per-format decoders behind LoadPicture*(). Each takes a whole encoded file in memory,
// checks the picture's size against picture_limits.h before allocating, and fills `out`.
//
// Contract shared by all of them: data may be null only with size 0; out must not be null.
// Ok with `out` holding the picture, or kCannotOpenFile (Where::kPicture: the file does not
// load) with `out` empty. A corrupt, truncated or hostile file gives that error; it never reads
// outside [data, data + size), never writes to stderr, never aborts the process.
#ifndef HV_CLIENT_PICTURE_PICTURE_DECODERS_H_
#define HV_CLIENT_PICTURE_PICTURE_DECODERS_H_

#include <cstddef>
#include <cstdint>

#include "core/status.h"

namespace hv {

class cBitmap;

// The one failure of every decoder: the file does not load as a picture.
[[nodiscard]] inline Status PictureDoesNotLoad() {
  return Status(Where::kPicture, hv::kCannotOpenFile);
}

// JPEG through libjpeg-turbo: greyscale, YCbCr/RGB and CMYK/YCCK; baseline and progressive.
[[nodiscard]] Status DecodeJpegPicture(const uint8_t* data, size_t size, cBitmap* out);

// GIF through giflib: the first image of the file on its logical screen; the transparent
// colour (and everything outside the image) is transparent.
[[nodiscard]] Status DecodeGifPicture(const uint8_t* data, size_t size, cBitmap* out);

// TIFF through libtiff (either byte order, any layout libtiff's RGBA reader handles): the
// first directory.
[[nodiscard]] Status DecodeTiffPicture(const uint8_t* data, size_t size, cBitmap* out);

// PNG through libpng's simplified reader: every colour type and depth, converted to 8 bits.
[[nodiscard]] Status DecodePngPicture(const uint8_t* data, size_t size, cBitmap* out);

// BMP, decoded here: uncompressed 1-, 4- and 8-bit palette pictures, 24-bit pictures and
// 32-bit pictures (plain, or with the standard B-G-R(-A) bit-field masks); bottom-up or
// top-down. Compressed (RLE, JPEG/PNG-in-BMP), 16-bit and OS/2-header files are refused.
[[nodiscard]] Status DecodeBmpPicture(const uint8_t* data, size_t size, cBitmap* out);

}  // namespace hv

#endif  // HV_CLIENT_PICTURE_PICTURE_DECODERS_H_
