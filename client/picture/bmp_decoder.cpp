// BMP decoding, written here because the format's common forms are simple enough that a
// library would add more surface than it saves. Every offset and length is checked against
// the file's real size before it is used, all arithmetic on header values is 64-bit, and
// the picture's size is checked before the bitmap is allocated.
#include <cstdint>

#include "client/picture/bitmap.h"
#include "client/picture/picture_decoders.h"
#include "client/picture/picture_limits.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr uint64_t kFileHeaderSize = 14;
constexpr uint32_t kCompressionNone = 0;       // BI_RGB
constexpr uint32_t kCompressionBitFields = 3;  // BI_BITFIELDS

class cByteReader {
 public:
  cByteReader(const uint8_t* data, uint64_t size) : data_(data), size_(size) {}
  bool Has(uint64_t offset, uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  // Callers check Has() first.
  uint16_t U16(uint64_t offset) const {
    return static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
  }
  uint32_t U32(uint64_t offset) const {
    return static_cast<uint32_t>(data_[offset]) | static_cast<uint32_t>(data_[offset + 1]) << 8 |
           static_cast<uint32_t>(data_[offset + 2]) << 16 |
           static_cast<uint32_t>(data_[offset + 3]) << 24;
  }
  const uint8_t* At(uint64_t offset) const { return data_ + offset; }

 private:
  const uint8_t* data_;
  uint64_t size_;
};

struct sBmpLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  bool top_down = false;
  uint32_t bits = 0;
  bool alpha = false;  // 32-bit with an alpha mask; otherwise opaque
  uint64_t pixel_offset = 0;
  uint64_t stride = 0;         // bytes per stored row, padded to 4
  uint32_t palette[256] = {};  // entries past the stored palette are opaque black
};

bool ReadBmpLayout(const cByteReader& file, sBmpLayout* layout) {
  if (!file.Has(0, kFileHeaderSize + 4) || file.U16(0) != 0x4D42) return false;  // "BM"
  layout->pixel_offset = file.U32(10);
  const uint32_t info_size = file.U32(14);
  // BITMAPINFOHEADER and its V2..V5 extensions; the 12-byte core and OS/2 headers are refused.
  if (info_size != 40 && info_size != 52 && info_size != 56 && info_size != 108 &&
      info_size != 124) {
    return false;
  }
  const uint64_t info = kFileHeaderSize;
  if (!file.Has(info, info_size)) return false;
  const int32_t width = static_cast<int32_t>(file.U32(info + 4));
  const int32_t height = static_cast<int32_t>(file.U32(info + 8));
  const uint16_t planes = file.U16(info + 12);
  layout->bits = file.U16(info + 14);
  const uint32_t compression = file.U32(info + 16);
  const uint32_t colours_used = file.U32(info + 32);

  if (planes != 1 || width <= 0 || height == 0) return false;
  const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : static_cast<int64_t>(height);
  if (!PictureSizeAllowed(static_cast<uint64_t>(width), rows)) return false;
  layout->width = static_cast<uint32_t>(width);
  layout->height = static_cast<uint32_t>(rows);
  layout->top_down = height < 0;

  const uint32_t bits = layout->bits;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  if (compression == kCompressionBitFields) {
    if (bits != 32) return false;
    // The masks follow a 40-byte header, or are its V2+ fields: the same bytes.
    const uint64_t masks = info + 40;
    if (!file.Has(masks, 12)) return false;
    if (file.U32(masks) != 0x00FF0000 || file.U32(masks + 4) != 0x0000FF00 ||
        file.U32(masks + 8) != 0x000000FF) {
      return false;
    }
    const uint32_t alpha_mask = info_size >= 56 ? file.U32(masks + 12) : 0;
    if (alpha_mask != 0 && alpha_mask != 0xFF000000) return false;
    layout->alpha = alpha_mask != 0;
  } else if (compression != kCompressionNone) {
    return false;
  }

  if (bits <= 8) {
    const uint32_t capacity = 1u << bits;
    uint32_t entries = colours_used == 0 || colours_used > capacity ? capacity : colours_used;
    const uint64_t palette = info + info_size;
    // A palette that runs into the pixels or off the file is kept only as far as it goes.
    while (entries > 0 && (!file.Has(palette, uint64_t{entries} * 4) ||
                           palette + uint64_t{entries} * 4 > layout->pixel_offset)) {
      --entries;
    }
    for (uint32_t i = 0; i < 256; ++i) layout->palette[i] = ArgbPixel(0xFF, 0, 0, 0);
    for (uint32_t i = 0; i < entries; ++i) {
      const uint8_t* entry = file.At(palette + uint64_t{i} * 4);
      layout->palette[i] = ArgbPixel(0xFF, entry[2], entry[1], entry[0]);
    }
  }

  layout->stride = (uint64_t{layout->width} * bits + 31) / 32 * 4;
  return file.Has(layout->pixel_offset, layout->stride * layout->height);
}

void DecodeBmpRow(const sBmpLayout& layout, const uint8_t* source, uint32_t* target) {
  const uint32_t width = layout.width;
  switch (layout.bits) {
    case 32:
      for (uint32_t x = 0; x < width; ++x, source += 4) {
        // Plain 32-bit files leave the fourth byte unused (often 0), so they are opaque.
        const uint32_t alpha = layout.alpha ? source[3] : 0xFF;
        target[x] = ArgbPixel(alpha, source[2], source[1], source[0]);
      }
      break;
    case 24:
      for (uint32_t x = 0; x < width; ++x, source += 3) {
        target[x] = ArgbPixel(0xFF, source[2], source[1], source[0]);
      }
      break;
    default: {  // 1, 4 or 8 bits per palette index, most significant bits first
      const uint32_t bits = layout.bits;
      const uint32_t mask = (1u << bits) - 1;
      for (uint32_t x = 0; x < width; ++x) {
        const uint64_t bit = uint64_t{x} * bits;
        const uint32_t shift = 8 - bits - static_cast<uint32_t>(bit % 8);
        target[x] = layout.palette[(source[bit / 8] >> shift) & mask];
      }
      break;
    }
  }
}

}  // namespace

Status DecodeBmpPicture(const uint8_t* data, size_t size, cBitmap* out) {
  out->Clear();
  if (data == nullptr) return PictureDoesNotLoad();
  const cByteReader file(data, size);
  sBmpLayout layout;
  if (!ReadBmpLayout(file, &layout)) return PictureDoesNotLoad();
  if (!out->Allocate(layout.width, layout.height).ok()) return PictureDoesNotLoad();
  for (uint32_t row = 0; row < layout.height; ++row) {
    // Rows are stored bottom-up unless the height was negative.
    const uint32_t y = layout.top_down ? row : layout.height - 1 - row;
    DecodeBmpRow(layout, file.At(layout.pixel_offset + uint64_t{row} * layout.stride), out->Row(y));
  }
  return Status::Ok();
}

}  // namespace hv
