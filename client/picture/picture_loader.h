// Loading a picture file into a cBitmap. The format (JPEG, GIF, TIFF, PNG or BMP) is
// recognised from the content, never from the name. Used for video thumbnails, the full
// pictures the server sends and the image of the website button.
#ifndef HV_CLIENT_PICTURE_PICTURE_LOADER_H_
#define HV_CLIENT_PICTURE_PICTURE_LOADER_H_

#include <cstddef>
#include <cstdint>

#include "core/status.h"

namespace hv {

class cBitmap;

// Loads the file at path (a regular file of at most kMaxPictureFileBytes).
// Ok with `out` holding the picture; kCannotOpenFile when the file cannot be opened, is not a
// regular file, or does not load as a picture (unknown format, corrupt, truncated or beyond
// the limits of picture_limits.h); kMissingArgument when path or out is null (all
// Where::kPicture). On any failure `out` is left empty.
[[nodiscard]] Status LoadPictureFile(const char* path, cBitmap* out);

// The same for an encoded file already in memory; data is only read during the call.
[[nodiscard]] Status LoadPictureFromMemory(const uint8_t* data, size_t size, cBitmap* out);

}  // namespace hv

#endif  // HV_CLIENT_PICTURE_PICTURE_LOADER_H_
