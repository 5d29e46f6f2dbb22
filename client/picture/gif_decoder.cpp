// GIF decoding over giflib. DGifSlurp is avoided on purpose: it allocates every frame at
// the size its descriptor claims before anything can check it. Here the first image is read
// line by line into the bitmap after its size has been checked, and the rest of the file is
// not read at all.
#include <gif_lib.h>

#include <cstring>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/picture/picture_decoders.h"
#include "client/picture/picture_limits.h"
#include "core/status.h"

namespace hv {

namespace {

struct sGifSource {
  const uint8_t* data;
  size_t size;
  size_t position;
};

// giflib treats a short count as a read failure, so a truncated file ends decoding.
int ReadGifBytes(GifFileType* gif, GifByteType* buffer, int wanted) {
  auto* source = static_cast<sGifSource*>(gif->UserData);
  if (wanted <= 0) return 0;
  size_t count = source->size - source->position;
  if (count > static_cast<size_t>(wanted)) count = static_cast<size_t>(wanted);
  if (count > 0) std::memcpy(buffer, source->data + source->position, count);
  source->position += count;
  return static_cast<int>(count);
}

class cGifFile {
 public:
  explicit cGifFile(sGifSource* source) {
    int error = 0;
    gif_ = DGifOpen(source, ReadGifBytes, &error);
  }
  cGifFile(const cGifFile&) = delete;
  cGifFile& operator=(const cGifFile&) = delete;
  ~cGifFile() {
    if (gif_ != nullptr) {
      int error = 0;
      DGifCloseFile(gif_, &error);
    }
  }
  GifFileType* get() const { return gif_; }

 private:
  GifFileType* gif_ = nullptr;
};

// Skips the sub-blocks of an extension, remembering the transparent colour of a graphic
// control block. Returns false on a read failure.
bool ReadGifExtension(GifFileType* gif, int* transparent_index) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
    GraphicsControlBlock control{};
    if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
      *transparent_index = control.TransparentColor;
    }
  }
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

// Reads the first image (its descriptor already read) onto the canvas.
bool ReadGifImage(GifFileType* gif, int transparent_index, cBitmap* canvas) {
  const GifImageDesc& image = gif->Image;
  if (!PictureSizeAllowed(image.Width > 0 ? image.Width : 0, image.Height > 0 ? image.Height : 0)) {
    return false;
  }
  const ColorMapObject* map = image.ColorMap != nullptr ? image.ColorMap : gif->SColorMap;
  if (map == nullptr || map->Colors == nullptr) return false;

  uint32_t palette[256] = {};  // indices past the map's end stay transparent black
  const int colours = map->ColorCount < 256 ? map->ColorCount : 256;
  for (int i = 0; i < colours; ++i) {
    palette[i] = ArgbPixel(0xFF, map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
  }
  if (transparent_index >= 0 && transparent_index < 256) palette[transparent_index] = 0;

  std::vector<GifPixelType> line(static_cast<size_t>(image.Width));
  // An interlaced image sends rows in four passes: every 8th from 0, every 8th from 4,
  // every 4th from 2, every 2nd from 1.
  static const int kPassStart[] = {0, 4, 2, 1};
  static const int kPassStep[] = {8, 8, 4, 2};
  const int passes = image.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const int start = image.Interlace ? kPassStart[pass] : 0;
    const int step = image.Interlace ? kPassStep[pass] : 1;
    for (int row = start; row < image.Height; row += step) {
      if (DGifGetLine(gif, line.data(), image.Width) == GIF_ERROR) return false;
      const int64_t y = static_cast<int64_t>(image.Top) + row;
      if (y < 0 || y >= canvas->Height()) continue;
      uint32_t* target = canvas->Row(static_cast<uint32_t>(y));
      for (int column = 0; column < image.Width; ++column) {
        const int64_t x = static_cast<int64_t>(image.Left) + column;
        if (x >= 0 && x < canvas->Width()) target[x] = palette[line[column]];
      }
    }
  }
  return true;
}

Status DecodeGif(const uint8_t* data, size_t size, cBitmap* out) {
  sGifSource source{data, size, 0};
  cGifFile file(&source);
  GifFileType* gif = file.get();
  if (gif == nullptr) return PictureDoesNotLoad();

  int transparent_index = -1;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return PictureDoesNotLoad();
    if (type == EXTENSION_RECORD_TYPE) {
      if (!ReadGifExtension(gif, &transparent_index)) return PictureDoesNotLoad();
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) return PictureDoesNotLoad();  // no image before the end
    if (DGifGetImageDesc(gif) == GIF_ERROR) return PictureDoesNotLoad();
    break;
  }

  // The picture is the logical screen; a file that leaves it 0 x 0 gets its image's size.
  uint32_t width = static_cast<uint32_t>(gif->SWidth > 0 ? gif->SWidth : 0);
  uint32_t height = static_cast<uint32_t>(gif->SHeight > 0 ? gif->SHeight : 0);
  if (width == 0 || height == 0) {
    width = static_cast<uint32_t>(gif->Image.Width > 0 ? gif->Image.Width : 0);
    height = static_cast<uint32_t>(gif->Image.Height > 0 ? gif->Image.Height : 0);
  }
  if (!PictureSizeAllowed(width, height)) return PictureDoesNotLoad();
  if (!out->Allocate(width, height).ok()) return PictureDoesNotLoad();
  if (!ReadGifImage(gif, transparent_index, out)) return PictureDoesNotLoad();
  return Status::Ok();
}

}  // namespace

Status DecodeGifPicture(const uint8_t* data, size_t size, cBitmap* out) {
  out->Clear();
  if (data == nullptr || size == 0) return PictureDoesNotLoad();
  Status status = DecodeGif(data, size, out);
  if (!status.ok()) out->Clear();
  return status;
}

}  // namespace hv
