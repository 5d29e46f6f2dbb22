#include "sim/picture_maker.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <tuple>
#include <utility>

#include <jpeglib.h>

namespace hv::sim {
namespace {

// A 3x5 font for the digits and the colon; bit 2 is the left column.
constexpr uint8_t kGlyphs[11][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7},
                                    {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
                                    {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7},
                                    {7, 5, 7, 1, 7}, {0, 2, 0, 2, 0}};

struct Canvas {
  int width;
  int height;
  std::vector<uint8_t> rgb;
  void Fill(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    for (int yy = y; yy < y + h; ++yy) {
      if (yy < 0 || yy >= height) continue;
      for (int xx = x; xx < x + w; ++xx) {
        if (xx < 0 || xx >= width) continue;
        uint8_t* p = &rgb[(static_cast<size_t>(yy) * width + xx) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
      }
    }
  }
};

void DrawText(Canvas& canvas, const char* text, int x, int y, int scale) {
  for (const char* c = text; *c != 0; ++c) {
    int glyph = *c == ':' ? 10 : *c - '0';
    if (glyph < 0 || glyph > 10) continue;
    for (int row = 0; row < 5; ++row) {
      for (int col = 0; col < 3; ++col) {
        if ((kGlyphs[glyph][row] >> (2 - col)) & 1) {
          // A dark shadow keeps the digits readable on any background.
          canvas.Fill(x + col * scale + 1, y + row * scale + 1, scale, scale, 0, 0, 0);
          canvas.Fill(x + col * scale, y + row * scale, scale, scale, 255, 255, 255);
        }
      }
    }
    x += 4 * scale;
  }
}

struct JpegError {
  jpeg_error_mgr manager;
  jmp_buf jump;
};

void OnJpegError(j_common_ptr info) { longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

// Kept free of C++ objects with destructors: libjpeg reports errors with longjmp.
bool Encode(const Canvas& canvas, int quality, unsigned char** out, unsigned long* out_size) {
  jpeg_compress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  if (setjmp(error.jump) != 0) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, out, out_size);
  info.image_width = static_cast<JDIMENSION>(canvas.width);
  info.image_height = static_cast<JDIMENSION>(canvas.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(
        &canvas.rgb[static_cast<size_t>(info.next_scanline) * canvas.width * 3]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

std::vector<uint8_t> DrawPicture(const PictureRequest& request) {
  if (request.width < 1 || request.height < 1 || request.width > 4096 || request.height > 4096) {
    return {};
  }
  Canvas canvas{request.width, request.height,
                std::vector<uint8_t>(static_cast<size_t>(request.width) * request.height * 3)};

  // Background: a vertical gradient in the source's hue.
  static const uint8_t kHues[][3] = {
      {40, 90, 160}, {40, 140, 70}, {150, 70, 40}, {120, 60, 140}, {40, 130, 140}};
  const uint8_t* hue = kHues[request.source_number % std::size(kHues)];
  uint32_t seed = request.time_stamp * 2654435761u + request.source_number;
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      uint8_t* p = &canvas.rgb[(static_cast<size_t>(y) * canvas.width + x) * 3];
      int shade = 60 + 140 * y / canvas.height;
      int jitter = 0;
      if (request.noise) {
        seed = seed * 1664525u + 1013904223u;
        jitter = static_cast<int>(seed >> 27) - 16;
      }
      for (int c = 0; c < 3; ++c) {
        int v = hue[c] * shade / 128 + jitter;
        p[c] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
      }
    }
  }

  // A bar that moves with the seconds, so consecutive pictures differ at a glance.
  int bar_width = canvas.width / 8 + 1;
  int bar_x = static_cast<int>(request.time_stamp % 60) * (canvas.width - bar_width) / 59;
  canvas.Fill(bar_x, 0, bar_width, canvas.height / 6 + 1, 250, 210, 60);

  if (request.is_clip) {
    int border = canvas.height / 12 + 1;
    canvas.Fill(0, 0, border, canvas.height, 20, 20, 20);
    canvas.Fill(canvas.width - border, 0, border, canvas.height, 20, 20, 20);
  }

  // The time stamp as HH:MM:SS, as wide as the picture allows.
  uint32_t day_seconds = request.time_stamp % 86400;
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", day_seconds / 3600, day_seconds / 60 % 60,
                day_seconds % 60);
  int scale = canvas.width / 36;
  if (scale < 1) scale = 1;
  int text_width = static_cast<int>(std::strlen(text)) * 4 * scale;
  DrawText(canvas, text, (canvas.width - text_width) / 2, canvas.height - 7 * scale, scale);

  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  bool ok = Encode(canvas, request.quality, &buffer, &size);
  std::vector<uint8_t> out;
  if (ok && buffer != nullptr) out.assign(buffer, buffer + size);
  std::free(buffer);
  return out;
}

}  // namespace

// The same request always draws the same picture, and drawing and encoding one costs far more
// than looking it up: every server in the process (tests and fuzzing start many) shares the
// last few it drew.
std::vector<uint8_t> MakePicture(const PictureRequest& request) {
  using Key = std::tuple<int, int, uint32_t, uint32_t, bool, bool, int>;
  constexpr size_t kRemembered = 16;
  static std::mutex lock;
  static std::deque<std::pair<Key, std::vector<uint8_t>>> remembered;
  const Key key{request.width,   request.height, request.source_number, request.time_stamp,
                request.is_clip, request.noise,  request.quality};
  {
    std::lock_guard<std::mutex> hold(lock);
    for (const auto& [known, picture] : remembered) {
      if (known == key) return picture;
    }
  }
  std::vector<uint8_t> picture = DrawPicture(request);
  if (picture.empty()) return picture;
  std::lock_guard<std::mutex> hold(lock);
  if (remembered.size() >= kRemembered) remembered.pop_front();
  remembered.emplace_back(key, picture);
  return picture;
}

}  // namespace hv::sim
