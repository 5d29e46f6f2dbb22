#include <gtest/gtest.h>

#include <vector>

#include "client/picture/bitmap.h"
#include "client/picture/picture_decoders.h"
#include "client/picture/testing/sample_pictures.h"
#include "core/status.h"

namespace hv {

namespace {

// A BITMAPINFOHEADER file with the given pixel rows (already padded) and palette entries
// (B, G, R, 0 each), pixel data right after the palette.
cPictureBytes MakeBmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                      const std::vector<uint32_t>& palette, const std::vector<uint8_t>& pixels,
                      uint32_t colours_used = 0) {
  cPictureBytes bytes;
  auto u16 = [&](uint32_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto u32 = [&](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size()) * 4;
  bytes.push_back('B');
  bytes.push_back('M');
  u32(offset + static_cast<uint32_t>(pixels.size()));
  u32(0);
  u32(offset);
  u32(40);
  u32(static_cast<uint32_t>(width));
  u32(static_cast<uint32_t>(height));
  u16(1);
  u16(bits);
  u32(compression);
  u32(static_cast<uint32_t>(pixels.size()));
  u32(0);
  u32(0);
  u32(colours_used);
  u32(0);
  for (uint32_t colour : palette) {
    bytes.push_back(static_cast<uint8_t>(PixelBlue(colour)));
    bytes.push_back(static_cast<uint8_t>(PixelGreen(colour)));
    bytes.push_back(static_cast<uint8_t>(PixelRed(colour)));
    bytes.push_back(0);
  }
  bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  return bytes;
}

}  // namespace

TEST(BmpDecoderTest, PaletteFormsOfOneFourAndEightBits) {
  cBitmap bitmap;
  // 1 bit, 3 x 2, bottom-up: bottom row 1,0,1 and top row 0,1,0.
  const cPictureBytes one_bit =
      MakeBmp(3, 2, 1, 0, {kOpaqueRed, kOpaqueBlue}, {0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0});
  ASSERT_EQ(DecodeBmpPicture(one_bit.data(), one_bit.size(), &bitmap).code(), hv::kOk);
  EXPECT_EQ(bitmap.PixelAt(0, 1), kOpaqueBlue);
  EXPECT_EQ(bitmap.PixelAt(1, 1), kOpaqueRed);
  EXPECT_EQ(bitmap.PixelAt(0, 0), kOpaqueRed);
  EXPECT_EQ(bitmap.PixelAt(1, 0), kOpaqueBlue);

  // 4 bits, 3 x 1, with an index (5) beyond the two stored entries: opaque black.
  const cPictureBytes four_bit =
      MakeBmp(3, 1, 4, 0, {kOpaqueRed, kOpaqueBlue}, {0x01, 0x50, 0, 0}, 2);
  ASSERT_EQ(DecodeBmpPicture(four_bit.data(), four_bit.size(), &bitmap).code(), hv::kOk);
  EXPECT_EQ(bitmap.PixelAt(0, 0), kOpaqueRed);
  EXPECT_EQ(bitmap.PixelAt(1, 0), kOpaqueBlue);
  EXPECT_EQ(bitmap.PixelAt(2, 0), kOpaqueBlack);

  // 8 bits, top-down.
  const cPictureBytes eight_bit =
      MakeBmp(2, -2, 8, 0, {kOpaqueRed, kOpaqueBlue}, {0, 1, 0, 0, 1, 0, 0, 0});
  ASSERT_EQ(DecodeBmpPicture(eight_bit.data(), eight_bit.size(), &bitmap).code(), hv::kOk);
  EXPECT_EQ(bitmap.PixelAt(0, 0), kOpaqueRed);
  EXPECT_EQ(bitmap.PixelAt(1, 0), kOpaqueBlue);
  EXPECT_EQ(bitmap.PixelAt(0, 1), kOpaqueBlue);
}

TEST(BmpDecoderTest, UnsupportedFormsAreRefused) {
  const std::vector<uint8_t> row(8, 0);
  struct sCase {
    const char* name;
    cPictureBytes bytes;
  };
  cPictureBytes core_header = MakeBmp(2, 1, 24, 0, {}, row);
  core_header[14] = 12;
  cPictureBytes two_planes = MakeBmp(2, 1, 24, 0, {}, row);
  two_planes[26] = 2;
  const std::vector<sCase> cases = {
      {"rle8", MakeBmp(2, 1, 8, 1, {kOpaqueRed}, row)},
      {"16 bits", MakeBmp(2, 1, 16, 0, {}, row)},
      {"bit fields on 24 bits", MakeBmp(2, 1, 24, 3, {}, row)},
      {"odd bit-field masks", MakeBmp(2, 1, 32, 3, {0x0000F800, 0x000007E0, 0x0000001F}, row)},
      {"zero width", MakeBmp(0, 1, 24, 0, {}, row)},
      {"negative width", MakeBmp(-2, 1, 24, 0, {}, row)},
      {"zero height", MakeBmp(2, 0, 24, 0, {}, row)},
      {"core header", core_header},
      {"two planes", two_planes},
      {"pixel data short by one byte", MakeBmp(2, 1, 32, 0, {}, std::vector<uint8_t>(7, 0))},
  };
  for (const sCase& c : cases) {
    cBitmap bitmap;
    EXPECT_EQ(DecodeBmpPicture(c.bytes.data(), c.bytes.size(), &bitmap).code(), hv::kCannotOpenFile)
        << c.name;
    EXPECT_TRUE(bitmap.IsEmpty()) << c.name;
  }
}

TEST(BmpDecoderTest, PixelOffsetPastTheEndIsRefused) {
  cPictureBytes bytes = EncodeBmpSample(MakeQuadrantPicture(4, 4));
  for (uint32_t offset : {0xFFFFFFF0u, static_cast<uint32_t>(bytes.size()) - 4}) {
    for (int i = 0; i < 4; ++i) bytes[10 + i] = static_cast<uint8_t>(offset >> (8 * i));
    cBitmap bitmap;
    EXPECT_EQ(DecodeBmpPicture(bytes.data(), bytes.size(), &bitmap).code(), hv::kCannotOpenFile);
  }
}

}  // namespace hv
