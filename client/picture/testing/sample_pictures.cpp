#include "client/picture/testing/sample_pictures.h"

#include <algorithm>
#include <csetjmp>
#include <cstdarg>
#include <cstdio>  // before jpeglib.h, which needs FILE and size_t
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

// clang-format off
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace hv {

// clang-format on

namespace {

// ---- JPEG: same setjmp discipline as the decoder; only C objects live in the setjmp frame.

struct sJpegEncodeErrors {
  jpeg_error_mgr base;
  jmp_buf escape;
};

[[noreturn]] void EscapeJpegEncode(j_common_ptr info) {
  longjmp(reinterpret_cast<sJpegEncodeErrors*>(info->err)->escape, 1);
}
void SilentJpegMessage(j_common_ptr, int) {}

bool CompressJpeg(jpeg_compress_struct* info, sJpegEncodeErrors* errors, const cBitmap* picture,
                  const sJpegSampleOptions* options, unsigned char** buffer, unsigned long* size) {
  if (setjmp(errors->escape)) return false;
  jpeg_create_compress(info);
  jpeg_mem_dest(info, buffer, size);
  info->image_width = picture->Width();
  info->image_height = picture->Height();
  info->input_components = 4;
  info->in_color_space = options->cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_set_defaults(info);
  if (options->greyscale) jpeg_set_colorspace(info, JCS_GRAYSCALE);
  if (options->cmyk) jpeg_set_colorspace(info, JCS_YCCK);
  jpeg_set_quality(info, options->quality, TRUE);
  if (options->progressive) jpeg_simple_progression(info);
  jpeg_start_compress(info, TRUE);
  while (info->next_scanline < info->image_height) {
    JSAMPROW row =
        const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(picture->Row(info->next_scanline)));
    jpeg_write_scanlines(info, &row, 1);
  }
  jpeg_finish_compress(info);
  return true;
}

// ---- GIF

struct sByteSink {
  cPictureBytes* bytes;
};

int WriteGifBytes(GifFileType* gif, const GifByteType* data, int count) {
  auto* sink = static_cast<sByteSink*>(gif->UserData);
  sink->bytes->insert(sink->bytes->end(), data, data + count);
  return count;
}

// ---- TIFF: a growable in-memory file.

struct sTiffMemoryFile {
  cPictureBytes* bytes;
  uint64_t position;
};

tmsize_t TiffMemoryRead(thandle_t handle, void* buffer, tmsize_t count) {
  auto* file = static_cast<sTiffMemoryFile*>(handle);
  if (file->position >= file->bytes->size()) return 0;
  const uint64_t available = file->bytes->size() - file->position;
  const uint64_t n = std::min<uint64_t>(available, static_cast<uint64_t>(count));
  std::memcpy(buffer, file->bytes->data() + file->position, n);
  file->position += n;
  return static_cast<tmsize_t>(n);
}
tmsize_t TiffMemoryWrite(thandle_t handle, void* buffer, tmsize_t count) {
  auto* file = static_cast<sTiffMemoryFile*>(handle);
  const uint64_t end = file->position + static_cast<uint64_t>(count);
  if (file->bytes->size() < end) file->bytes->resize(end);
  std::memcpy(file->bytes->data() + file->position, buffer, static_cast<size_t>(count));
  file->position = end;
  return count;
}
toff_t TiffMemorySeek(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<sTiffMemoryFile*>(handle);
  if (whence == SEEK_SET)
    file->position = offset;
  else if (whence == SEEK_CUR)
    file->position += offset;
  else
    file->position = file->bytes->size() + offset;
  return file->position;
}
int TiffMemoryClose(thandle_t) { return 0; }
toff_t TiffMemorySize(thandle_t handle) {
  return static_cast<sTiffMemoryFile*>(handle)->bytes->size();
}
int TiffMemoryMap(thandle_t, void**, toff_t*) { return 0; }
void TiffMemoryUnmap(thandle_t, void*, toff_t) {}
int SilentTiffMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// ---- BMP

void PutU16(cPictureBytes* bytes, uint32_t value) {
  bytes->push_back(static_cast<uint8_t>(value));
  bytes->push_back(static_cast<uint8_t>(value >> 8));
}
void PutU32(cPictureBytes* bytes, uint32_t value) {
  PutU16(bytes, value & 0xFFFF);
  PutU16(bytes, value >> 16);
}

// Distinct colours of a picture, in first-seen order, at most 256 (more give false).
bool CollectPalette(const cBitmap& picture, std::vector<uint32_t>* colours,
                    std::map<uint32_t, uint8_t>* index) {
  for (uint32_t y = 0; y < picture.Height(); ++y) {
    for (uint32_t x = 0; x < picture.Width(); ++x) {
      const uint32_t pixel = PixelAlpha(picture.PixelAt(x, y)) == 0 ? 0 : picture.PixelAt(x, y);
      if (index->count(pixel) != 0) continue;
      if (colours->size() == 256) return false;
      (*index)[pixel] = static_cast<uint8_t>(colours->size());
      colours->push_back(pixel);
    }
  }
  return true;
}

}  // namespace

cBitmap MakeQuadrantPicture(uint32_t width, uint32_t height) {
  cBitmap picture;
  if (!picture.Allocate(width, height).ok()) return picture;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const bool right = x >= width / 2;
      const bool bottom = y >= height / 2;
      uint32_t pixel = 0;
      if (!right && !bottom) pixel = ArgbPixel(255, 255, 0, 0);
      if (right && !bottom) pixel = ArgbPixel(255, 0, 255, 0);
      if (!right && bottom) pixel = ArgbPixel(255, 0, 0, 255);
      if (right && bottom) pixel = ArgbPixel(255, 255, 255, 255);
      picture.SetPixel(x, y, pixel);
    }
  }
  return picture;
}

cPictureBytes CameraLikeJpeg(uint32_t width, uint32_t height) {
  cBitmap scene;
  if (!scene.Allocate(width, height).ok()) return {};
  uint32_t noise = 12345;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      const uint32_t grain = (noise >> 16) & 0x1F;
      scene.SetPixel(x, y,
                     ArgbPixel(255, (x * 255 / width + grain) & 0xFF,
                               (y * 255 / height + grain) & 0xFF, ((x + y) * 2 + grain) & 0xFF));
    }
  }
  sJpegSampleOptions options;
  options.quality = 75;
  return EncodeJpegSample(scene, options);
}

cPictureBytes EncodeJpegSample(const cBitmap& picture, const sJpegSampleOptions& options) {
  jpeg_compress_struct info{};
  sJpegEncodeErrors errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = EscapeJpegEncode;
  errors.base.emit_message = SilentJpegMessage;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool done = CompressJpeg(&info, &errors, &picture, &options, &buffer, &size);
  jpeg_destroy_compress(&info);
  cPictureBytes bytes;
  if (done && buffer != nullptr) bytes.assign(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

cPictureBytes EncodePngSample(const cBitmap& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = picture.Width();
  image.height = picture.Height();
  image.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, picture.Pixels(), 0, nullptr)) return {};
  cPictureBytes bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, picture.Pixels(), 0, nullptr)) {
    return {};
  }
  bytes.resize(size);
  return bytes;
}

cPictureBytes EncodeGifSample(const cBitmap& picture, bool interlaced) {
  std::vector<uint32_t> colours;
  std::map<uint32_t, uint8_t> index;
  if (!CollectPalette(picture, &colours, &index)) return {};
  GifColorType map_colours[256] = {};
  int transparent = -1;
  for (size_t i = 0; i < colours.size(); ++i) {
    map_colours[i] = {static_cast<GifByteType>(PixelRed(colours[i])),
                      static_cast<GifByteType>(PixelGreen(colours[i])),
                      static_cast<GifByteType>(PixelBlue(colours[i]))};
    if (colours[i] == 0) transparent = static_cast<int>(i);
  }
  ColorMapObject* map = GifMakeMapObject(256, map_colours);
  cPictureBytes bytes;
  sByteSink sink{&bytes};
  int error = 0;
  GifFileType* gif = EGifOpen(&sink, WriteGifBytes, &error);
  bool ok = gif != nullptr && map != nullptr;
  if (ok) {
    EGifSetGifVersion(gif, true);
    ok = EGifPutScreenDesc(gif, static_cast<int>(picture.Width()),
                           static_cast<int>(picture.Height()), 8, 0, map) == GIF_OK;
  }
  if (ok && transparent >= 0) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.DelayTime = 0;
    control.TransparentColor = transparent;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
         GIF_OK;
  }
  if (ok) {
    ok = EGifPutImageDesc(gif, 0, 0, static_cast<int>(picture.Width()),
                          static_cast<int>(picture.Height()), interlaced, nullptr) == GIF_OK;
  }
  std::vector<GifPixelType> line(picture.Width());
  static const uint32_t kPassStart[] = {0, 4, 2, 1};
  static const uint32_t kPassStep[] = {8, 8, 4, 2};
  const int passes = interlaced ? 4 : 1;
  for (int pass = 0; ok && pass < passes; ++pass) {
    const uint32_t start = interlaced ? kPassStart[pass] : 0;
    const uint32_t step = interlaced ? kPassStep[pass] : 1;
    for (uint32_t y = start; ok && y < picture.Height(); y += step) {
      for (uint32_t x = 0; x < picture.Width(); ++x) {
        const uint32_t pixel = picture.PixelAt(x, y);
        line[x] = index[PixelAlpha(pixel) == 0 ? 0 : pixel];
      }
      ok = EGifPutLine(gif, line.data(), static_cast<int>(picture.Width())) == GIF_OK;
    }
  }
  if (gif != nullptr && EGifCloseFile(gif, &error) != GIF_OK) ok = false;
  GifFreeMapObject(map);
  return ok ? bytes : cPictureBytes{};
}

cPictureBytes EncodeTiffSample(const cBitmap& picture, const sTiffSampleOptions& options) {
  cPictureBytes bytes;
  sTiffMemoryFile file{&bytes, 0};
  TIFFOpenOptions* open_options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(open_options, SilentTiffMessage, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(open_options, SilentTiffMessage, nullptr);
  TIFF* tiff = TIFFClientOpenExt("sample", options.big_endian ? "wbm" : "wlm", &file,
                                 TiffMemoryRead, TiffMemoryWrite, TiffMemorySeek, TiffMemoryClose,
                                 TiffMemorySize, TiffMemoryMap, TiffMemoryUnmap, open_options);
  TIFFOpenOptionsFree(open_options);
  if (tiff == nullptr) return {};
  const uint16_t samples = options.with_alpha ? 4 : 3;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, picture.Width());
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, picture.Height());
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, options.compression);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, options.rows_per_strip);
  if (options.with_alpha) {
    const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  std::vector<uint8_t> row(size_t{picture.Width()} * samples);
  bool ok = true;
  for (uint32_t y = 0; ok && y < picture.Height(); ++y) {
    for (uint32_t x = 0; x < picture.Width(); ++x) {
      const uint32_t pixel = picture.PixelAt(x, y);
      uint8_t* sample = row.data() + size_t{x} * samples;
      sample[0] = static_cast<uint8_t>(PixelRed(pixel));
      sample[1] = static_cast<uint8_t>(PixelGreen(pixel));
      sample[2] = static_cast<uint8_t>(PixelBlue(pixel));
      if (options.with_alpha) sample[3] = static_cast<uint8_t>(PixelAlpha(pixel));
    }
    ok = TIFFWriteScanline(tiff, row.data(), y, 0) == 1;
  }
  TIFFClose(tiff);
  return ok ? bytes : cPictureBytes{};
}

cPictureBytes EncodeBmpSample(const cBitmap& picture, const sBmpSampleOptions& options) {
  const uint32_t bits = options.bits;
  std::vector<uint32_t> colours;
  std::map<uint32_t, uint8_t> index;
  if (bits == 8 && !CollectPalette(picture, &colours, &index)) return {};
  const bool bitfields = bits == 32 && options.alpha_bitfields;
  const uint32_t info_size = bitfields ? 124 : 40;
  const uint32_t palette_size = bits == 8 ? 256 * 4 : 0;
  const uint32_t stride = (picture.Width() * bits + 31) / 32 * 4;
  const uint32_t offset = 14 + info_size + palette_size;
  cPictureBytes bytes;
  bytes.push_back('B');
  bytes.push_back('M');
  PutU32(&bytes, offset + stride * picture.Height());
  PutU32(&bytes, 0);
  PutU32(&bytes, offset);
  PutU32(&bytes, info_size);
  PutU32(&bytes, picture.Width());
  const auto height = static_cast<int32_t>(picture.Height());
  PutU32(&bytes, static_cast<uint32_t>(options.top_down ? -height : height));
  PutU16(&bytes, 1);
  PutU16(&bytes, bits);
  PutU32(&bytes, bitfields ? 3 : 0);
  PutU32(&bytes, stride * picture.Height());
  PutU32(&bytes, 2835);
  PutU32(&bytes, 2835);
  PutU32(&bytes, bits == 8 ? 256 : 0);
  PutU32(&bytes, 0);
  if (bitfields) {
    PutU32(&bytes, 0x00FF0000);
    PutU32(&bytes, 0x0000FF00);
    PutU32(&bytes, 0x000000FF);
    PutU32(&bytes, 0xFF000000);
    PutU32(&bytes, 0x73524742);  // "sRGB"
    bytes.resize(14 + info_size, 0);
  }
  for (uint32_t i = 0; i < palette_size / 4; ++i) {
    const uint32_t colour = i < colours.size() ? colours[i] : 0;
    bytes.push_back(static_cast<uint8_t>(PixelBlue(colour)));
    bytes.push_back(static_cast<uint8_t>(PixelGreen(colour)));
    bytes.push_back(static_cast<uint8_t>(PixelRed(colour)));
    bytes.push_back(0);
  }
  for (uint32_t row = 0; row < picture.Height(); ++row) {
    const uint32_t y = options.top_down ? row : picture.Height() - 1 - row;
    const size_t row_start = bytes.size();
    for (uint32_t x = 0; x < picture.Width(); ++x) {
      const uint32_t pixel = picture.PixelAt(x, y);
      if (bits == 8) {
        bytes.push_back(index[PixelAlpha(pixel) == 0 ? 0 : pixel]);
        continue;
      }
      bytes.push_back(static_cast<uint8_t>(PixelBlue(pixel)));
      bytes.push_back(static_cast<uint8_t>(PixelGreen(pixel)));
      bytes.push_back(static_cast<uint8_t>(PixelRed(pixel)));
      if (bits == 32) bytes.push_back(static_cast<uint8_t>(bitfields ? PixelAlpha(pixel) : 0));
    }
    bytes.resize(row_start + stride, 0);
  }
  return bytes;
}

bool WriteSampleFile(const std::string& path, const cPictureBytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace hv
