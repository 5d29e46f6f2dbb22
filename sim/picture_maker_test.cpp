#include "sim/picture_maker.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace hv::sim {
namespace {

struct Decoded {
  bool ok = false;
  int width = 0;
  int height = 0;
};

struct DecodeError {
  jpeg_error_mgr manager;
  jmp_buf jump;
};

void OnDecodeError(j_common_ptr info) {
  longjmp(reinterpret_cast<DecodeError*>(info->err)->jump, 1);
}

// Decodes the whole picture with libjpeg, the way the client's picture layer will.
Decoded Decode(const std::vector<uint8_t>& bytes) {
  Decoded out;
  jpeg_decompress_struct info;
  DecodeError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnDecodeError;
  error.manager.output_message = [](j_common_ptr) {};
  if (setjmp(error.jump) != 0) {
    jpeg_destroy_decompress(&info);
    return Decoded{};
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  std::vector<uint8_t> row(static_cast<size_t>(info.output_width) * info.output_components);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
  }
  out.width = static_cast<int>(info.output_width);
  out.height = static_cast<int>(info.output_height);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  out.ok = true;
  return out;
}

TEST(PictureMakerTest, PicturesAreValidJpegsOfTheAskedSizeAndDifferOverTime) {
  PictureRequest request;
  request.time_stamp = 1705311000;
  std::vector<uint8_t> first = MakePicture(request);
  Decoded decoded = Decode(first);
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.width, 80);
  EXPECT_EQ(decoded.height, 60);

  request.time_stamp += 1;
  EXPECT_NE(MakePicture(request), first);
  request.time_stamp -= 1;
  EXPECT_EQ(MakePicture(request), first);  // the same moment draws the same picture

  request.width = 320;
  request.height = 240;
  request.noise = true;
  std::vector<uint8_t> large = MakePicture(request);
  decoded = Decode(large);
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.width, 320);
  EXPECT_GT(large.size(), 8000u);  // big enough to need several blocks
}

TEST(PictureMakerTest, SizesOutOfRangeGiveNoPicture) {
  for (auto [w, h] : {std::pair{0, 60}, {80, -1}, {5000, 10}}) {
    PictureRequest request;
    request.width = w;
    request.height = h;
    EXPECT_TRUE(MakePicture(request).empty());
  }
}

}  // namespace
}  // namespace hv::sim
