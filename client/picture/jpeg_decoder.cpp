// JPEG decoding over libjpeg-turbo. libjpeg reports errors by calling error_exit, which must
// not return; ours longjmps back to the setjmp in ReadJpegHeader or DecompressJpegRows. Those
// two functions hold only trivially destructible locals and call only libjpeg, so the jump
// never skips a C++ destructor; everything that owns memory lives in their caller.
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <vector>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "client/picture/bitmap.h"
#include "client/picture/picture_decoders.h"
#include "client/picture/picture_limits.h"
#include "core/status.h"

namespace hv {

namespace {

// A progressive file can carry thousands of tiny scans that each cost a pass over the whole
// picture; real encoders write about ten.
constexpr int kMaxProgressiveScans = 500;
// Bounds libjpeg's own working memory (whole-picture coefficient buffers of progressive
// files); beyond it libjpeg fails instead of allocating.
constexpr long kMaxJpegWorkingMemory = 256L * 1024 * 1024;

struct sJpegErrorManager {
  jpeg_error_mgr base;  // first member: libjpeg passes &base around as cinfo->err
  jmp_buf escape;
};

[[noreturn]] void EscapeToCaller(j_common_ptr info) {
  longjmp(reinterpret_cast<sJpegErrorManager*>(info->err)->escape, 1);
}

// Warnings and trace messages are never printed. Running out of data is a warning to
// libjpeg (it pads the picture with grey); for us a truncated file does not load.
void FilterJpegMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  info->err->num_warnings++;
  if (info->err->msg_code == JWRN_JPEG_EOF) EscapeToCaller(info);
}

void LimitJpegScans(j_common_ptr info) {
  if (!info->is_decompressor) return;
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxProgressiveScans) EscapeToCaller(info);
}

bool ReadJpegHeader(jpeg_decompress_struct* info, sJpegErrorManager* errors,
                    jpeg_progress_mgr* progress, const uint8_t* data, size_t size) {
  if (setjmp(errors->escape)) return false;
  jpeg_create_decompress(info);
  info->mem->max_memory_to_use = kMaxJpegWorkingMemory;
  info->progress = progress;
  jpeg_mem_src(info, data, static_cast<unsigned long>(size));
  return jpeg_read_header(info, TRUE) == JPEG_HEADER_OK;
}

// Decodes every row into pixels (width x height, 4 bytes per pixel in the chosen colour
// space). `rows` has room for `height` row pointers.
bool DecompressJpegRows(jpeg_decompress_struct* info, sJpegErrorManager* errors, uint32_t* pixels,
                        uint32_t width, uint32_t height, JSAMPROW* rows) {
  if (setjmp(errors->escape)) return false;
  jpeg_start_decompress(info);
  if (info->output_width != width || info->output_height != height ||
      info->output_components != 4) {
    return false;
  }
  for (uint32_t y = 0; y < height; ++y) {
    rows[y] = reinterpret_cast<JSAMPROW>(pixels + static_cast<size_t>(y) * width);
  }
  // Offered every remaining row at once, libjpeg writes straight into the bitmap; row by row
  // it would go through a spare row of its own whenever it upsamples two rows at a time.
  while (info->output_scanline < height) {
    const JDIMENSION done = info->output_scanline;
    if (jpeg_read_scanlines(info, rows + done, height - done) == 0) return false;
  }
  jpeg_finish_decompress(info);
  return true;
}

// libjpeg-turbo delivers CMYK as it is stored; Adobe's files (the common kind) store it
// inverted, so "ink" 255 means none.
void ConvertCmykToArgb(cBitmap* bitmap, bool inverted) {
  uint32_t* pixel = bitmap->Pixels();
  const size_t count = static_cast<size_t>(bitmap->Width()) * bitmap->Height();
  for (size_t i = 0; i < count; ++i) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(pixel + i);
    uint32_t c = bytes[0], m = bytes[1], y = bytes[2], k = bytes[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    pixel[i] = ArgbPixel(0xFF, (c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
  }
}

}  // namespace

Status DecodeJpegPicture(const uint8_t* data, size_t size, cBitmap* out) {
  out->Clear();
  if (data == nullptr || size == 0) return PictureDoesNotLoad();

  jpeg_decompress_struct info{};
  sJpegErrorManager errors{};
  jpeg_progress_mgr progress{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = EscapeToCaller;
  errors.base.emit_message = FilterJpegMessage;
  progress.progress_monitor = LimitJpegScans;

  bool loaded = false;
  if (ReadJpegHeader(&info, &errors, &progress, data, size) &&
      PictureSizeAllowed(info.image_width, info.image_height)) {
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    // B, G, R, A bytes are exactly cBitmap's 0xAARRGGBB on this (little-endian) machine,
    // with alpha filled as 0xFF.
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    info.scale_num = 1;
    info.scale_denom = 1;
    std::vector<JSAMPROW> rows(info.image_height);
    if (out->AllocateUnset(info.image_width, info.image_height).ok() &&
        DecompressJpegRows(&info, &errors, out->Pixels(), info.image_width, info.image_height,
                           rows.data())) {
      if (cmyk) ConvertCmykToArgb(out, info.saw_Adobe_marker);
      loaded = true;
    }
  }
  jpeg_destroy_decompress(&info);
  if (loaded) return Status::Ok();
  out->Clear();
  return PictureDoesNotLoad();
}

}  // namespace hv
