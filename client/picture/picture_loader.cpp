#include "client/picture/picture_loader.h"

#include <string>

#include "client/picture/bitmap.h"
#include "client/picture/picture_decoders.h"
#include "client/picture/picture_format.h"
#include "client/picture/picture_limits.h"
#include "core/file/whole_file.h"
#include "core/status.h"

namespace hv {

Status LoadPictureFromMemory(const uint8_t* data, size_t size, cBitmap* out) {
  if (out == nullptr) return Status(Where::kPicture, hv::kMissingArgument);
  out->Clear();
  if (data == nullptr) return PictureDoesNotLoad();
  switch (DetectPictureFormat(data, size)) {
    case ePictureFormat::kJpeg: return DecodeJpegPicture(data, size, out);
    case ePictureFormat::kGif: return DecodeGifPicture(data, size, out);
    case ePictureFormat::kTiff: return DecodeTiffPicture(data, size, out);
    case ePictureFormat::kPng: return DecodePngPicture(data, size, out);
    case ePictureFormat::kBmp: return DecodeBmpPicture(data, size, out);
    case ePictureFormat::kUnknown: break;
  }
  return PictureDoesNotLoad();
}

Status LoadPictureFile(const char* path, cBitmap* out) {
  if (path == nullptr || out == nullptr) return Status(Where::kPicture, hv::kMissingArgument);
  out->Clear();
  // A FIFO planted under a picture's name is refused, not waited on; so is a file that
  // changes while it is read, rather than decoded from a part of it.
  std::string contents;
  if (!hv::ReadWholeFile(path, kMaxPictureFileBytes, &contents).ok()) return PictureDoesNotLoad();
  return LoadPictureFromMemory(reinterpret_cast<const uint8_t*>(contents.data()), contents.size(),
                               out);
}

}  // namespace hv
