// The picture loader with any bytes: thumbnails and full pictures come from the server, the
// website image from disk. A picture that loads must be within the size limits.
#include <cstdio>
#include <cstdlib>

#include "client/picture/bitmap.h"
#include "client/picture/picture_limits.h"
#include "client/picture/picture_loader.h"
#include "core/status.h"
#include "fuzz/fuzz_target.h"

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cBitmap picture;
  const Status status = LoadPictureFromMemory(data, size, &picture);
  const bool loaded = status.ok();
  if (loaded != !picture.IsEmpty() ||
      (loaded && !PictureSizeAllowed(picture.Width(), picture.Height()))) {
    std::fprintf(stderr, "fuzz picture: %s with a %ux%u picture\n", status.ToString().c_str(),
                 picture.Width(), picture.Height());
    std::abort();
  }
  return 0;
}
