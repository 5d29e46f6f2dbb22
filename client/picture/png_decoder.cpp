// PNG decoding through libpng's simplified reader. It keeps libpng's setjmp error handling
// inside libpng and reports failure as a 0 return, so no jump crosses our code, and its
// warnings land in the image's message field instead of on stderr.
#include <png.h>

#include "client/picture/bitmap.h"
#include "client/picture/picture_decoders.h"
#include "client/picture/picture_limits.h"
#include "core/status.h"

namespace hv {

Status DecodePngPicture(const uint8_t* data, size_t size, cBitmap* out) {
  out->Clear();
  if (data == nullptr || size == 0) return PictureDoesNotLoad();

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, data, size) == 0) return PictureDoesNotLoad();
  if (!PictureSizeAllowed(image.width, image.height)) {
    png_image_free(&image);
    return PictureDoesNotLoad();
  }
  // B, G, R, A bytes with straight alpha are exactly cBitmap's 0xAARRGGBB on this machine.
  image.format = PNG_FORMAT_BGRA;
  if (!out->Allocate(image.width, image.height).ok()) {
    png_image_free(&image);
    return PictureDoesNotLoad();
  }
  // finish_read releases the reader whether it succeeds or not.
  if (png_image_finish_read(&image, nullptr, out->Pixels(), 0, nullptr) == 0) {
    out->Clear();
    return PictureDoesNotLoad();
  }
  return Status::Ok();
}

}  // namespace hv
