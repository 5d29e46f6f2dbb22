// TIFF decoding over libtiff, reading from memory through client procedures. Errors and
// warnings go to per-file handlers that swallow them (libtiff would print them to stderr),
// and libtiff's single allocations are capped so a header that lies about strip sizes
// cannot make it ask for gigabytes.
#include <tiffio.h>

#include <cstdarg>
#include <cstring>

#include "client/picture/bitmap.h"
#include "client/picture/picture_decoders.h"
#include "client/picture/picture_limits.h"
#include "core/status.h"

namespace hv {

namespace {

// A strip of 16-bit RGBA samples at the largest allowed size needs twice the bitmap.
constexpr tmsize_t kMaxTiffSingleAllocation =
    static_cast<tmsize_t>(2 * kMaxPictureBytes + (1 << 20));

struct sTiffSource {
  const uint8_t* data;
  uint64_t size;
  uint64_t position;
};

tmsize_t ReadTiffBytes(thandle_t handle, void* buffer, tmsize_t wanted) {
  auto* source = static_cast<sTiffSource*>(handle);
  if (wanted <= 0 || source->position >= source->size) return 0;
  uint64_t count = source->size - source->position;
  if (count > static_cast<uint64_t>(wanted)) count = static_cast<uint64_t>(wanted);
  std::memcpy(buffer, source->data + source->position, count);
  source->position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t RefuseTiffWrite(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekTiff(thandle_t handle, toff_t offset, int whence) {
  auto* source = static_cast<sTiffSource*>(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR)
    base = source->position;
  else if (whence == SEEK_END)
    base = source->size;
  else if (whence != SEEK_SET)
    return static_cast<toff_t>(-1);
  // libtiff passes negative moves as wrapped unsigned offsets; reject any that leave the
  // 63-bit range rather than wrap around to a small position.
  const uint64_t target = base + offset;
  if (target > static_cast<uint64_t>(INT64_MAX)) return static_cast<toff_t>(-1);
  source->position = target;  // reads past the end return nothing
  return target;
}

int CloseTiff(thandle_t) { return 0; }
toff_t TiffSize(thandle_t handle) { return static_cast<sTiffSource*>(handle)->size; }
int NoTiffMap(thandle_t, void**, toff_t*) { return 0; }
void NoTiffUnmap(thandle_t, void*, toff_t) {}

int SwallowTiffMessage(TIFF*, void*, const char*, const char*, va_list) {
  return 1;  // handled: libtiff does not fall back to its stderr handler
}

class cTiffFile {
 public:
  explicit cTiffFile(sTiffSource* source) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) return;
    TIFFOpenOptionsSetErrorHandlerExtR(options, SwallowTiffMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, SwallowTiffMessage, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxTiffSingleAllocation);
    // "m": never memory-map (there is no file); "r": read only.
    tiff_ = TIFFClientOpenExt("picture", "rm", source, ReadTiffBytes, RefuseTiffWrite, SeekTiff,
                              CloseTiff, TiffSize, NoTiffMap, NoTiffUnmap, options);
    TIFFOpenOptionsFree(options);
  }
  cTiffFile(const cTiffFile&) = delete;
  cTiffFile& operator=(const cTiffFile&) = delete;
  ~cTiffFile() {
    if (tiff_ != nullptr) TIFFClose(tiff_);
  }
  TIFF* get() const { return tiff_; }

 private:
  TIFF* tiff_ = nullptr;
};

// libtiff's RGBA reader gives 0xAABBGGRR with alpha premultiplied; cBitmap wants 0xAARRGGBB
// with straight alpha.
void ConvertTiffRaster(cBitmap* bitmap) {
  uint32_t* pixel = bitmap->Pixels();
  const size_t count = static_cast<size_t>(bitmap->Width()) * bitmap->Height();
  for (size_t i = 0; i < count; ++i) {
    const uint32_t value = pixel[i];
    const uint32_t alpha = TIFFGetA(value);
    uint32_t red = TIFFGetR(value), green = TIFFGetG(value), blue = TIFFGetB(value);
    if (alpha == 0) {
      red = green = blue = 0;
    } else if (alpha < 255) {
      red = red >= alpha ? 255 : (red * 255 + alpha / 2) / alpha;
      green = green >= alpha ? 255 : (green * 255 + alpha / 2) / alpha;
      blue = blue >= alpha ? 255 : (blue * 255 + alpha / 2) / alpha;
    }
    pixel[i] = ArgbPixel(alpha, red, green, blue);
  }
}

}  // namespace

Status DecodeTiffPicture(const uint8_t* data, size_t size, cBitmap* out) {
  out->Clear();
  if (data == nullptr || size == 0) return PictureDoesNotLoad();
  sTiffSource source{data, size, 0};
  cTiffFile file(&source);
  TIFF* tiff = file.get();
  if (tiff == nullptr) return PictureDoesNotLoad();

  uint32_t width = 0;
  uint32_t height = 0;
  if (TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
      TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) != 1 || !PictureSizeAllowed(width, height)) {
    return PictureDoesNotLoad();
  }
  char reason[1024] = {};
  if (TIFFRGBAImageOK(tiff, reason) != 1) return PictureDoesNotLoad();
  if (!out->Allocate(width, height).ok()) return PictureDoesNotLoad();
  // stop_on_error 1: a strip that cannot be read fails the picture instead of leaving holes.
  if (TIFFReadRGBAImageOriented(tiff, width, height, out->Pixels(), ORIENTATION_TOPLEFT, 1) != 1) {
    out->Clear();
    return PictureDoesNotLoad();
  }
  ConvertTiffRaster(out);
  return Status::Ok();
}

}  // namespace hv
