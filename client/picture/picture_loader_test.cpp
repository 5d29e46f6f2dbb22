#include "client/picture/picture_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/picture/testing/sample_pictures.h"
#include "core/status.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace {

using hv::test::cTempFolder;

::testing::AssertionResult ColourNear(uint32_t actual, uint32_t expected, int tolerance) {
  const int differences[] = {
      static_cast<int>(PixelAlpha(actual)) - static_cast<int>(PixelAlpha(expected)),
      static_cast<int>(PixelRed(actual)) - static_cast<int>(PixelRed(expected)),
      static_cast<int>(PixelGreen(actual)) - static_cast<int>(PixelGreen(expected)),
      static_cast<int>(PixelBlue(actual)) - static_cast<int>(PixelBlue(expected))};
  for (int difference : differences) {
    if (difference > tolerance || difference < -tolerance) {
      return ::testing::AssertionFailure()
             << std::hex << "0x" << actual << " is not near 0x" << expected;
    }
  }
  return ::testing::AssertionSuccess();
}

// Checks the middle of each quadrant of a MakeQuadrantPicture() picture.
void ExpectQuadrants(const cBitmap& bitmap, uint32_t width, uint32_t height, int tolerance) {
  ASSERT_EQ(bitmap.Width(), width);
  ASSERT_EQ(bitmap.Height(), height);
  EXPECT_TRUE(ColourNear(bitmap.PixelAt(width / 4, height / 4), kOpaqueRed, tolerance));
  EXPECT_TRUE(ColourNear(bitmap.PixelAt(width * 3 / 4, height / 4), kOpaqueGreen, tolerance));
  EXPECT_TRUE(ColourNear(bitmap.PixelAt(width / 4, height * 3 / 4), kOpaqueBlue, tolerance));
  EXPECT_TRUE(ColourNear(bitmap.PixelAt(width * 3 / 4, height * 3 / 4), kOpaqueWhite, tolerance));
}

struct sSample {
  const char* name;
  cPictureBytes bytes;
  int tolerance;  // lossy formats come back only near the original colours
};

std::vector<sSample> SamplesOfEveryFormat(const cBitmap& picture) {
  sJpegSampleOptions progressive;
  progressive.progressive = true;
  sTiffSampleOptions big_lzw;
  big_lzw.big_endian = true;
  big_lzw.compression = 5;
  sTiffSampleOptions deflate_alpha;
  deflate_alpha.compression = 8;
  deflate_alpha.with_alpha = true;
  sBmpSampleOptions bmp8;
  bmp8.bits = 8;
  sBmpSampleOptions bmp32_top_down;
  bmp32_top_down.bits = 32;
  bmp32_top_down.top_down = true;
  return {
      {"jpeg", EncodeJpegSample(picture), 24},
      {"progressive jpeg", EncodeJpegSample(picture, progressive), 24},
      {"gif", EncodeGifSample(picture), 0},
      {"interlaced gif", EncodeGifSample(picture, true), 0},
      {"tiff little-endian", EncodeTiffSample(picture), 0},
      {"tiff big-endian lzw", EncodeTiffSample(picture, big_lzw), 0},
      {"tiff deflate alpha", EncodeTiffSample(picture, deflate_alpha), 0},
      {"png", EncodePngSample(picture), 0},
      {"bmp 24", EncodeBmpSample(picture), 0},
      {"bmp 8", EncodeBmpSample(picture, bmp8), 0},
      {"bmp 32 top-down", EncodeBmpSample(picture, bmp32_top_down), 0},
  };
}

uint16_t BigEndian16(const cPictureBytes& bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

}  // namespace

TEST(PictureLoaderTest, LoadsEveryFormatFromFileAndMemory) {
  const cTempFolder folder;
  const cBitmap picture = MakeQuadrantPicture(64, 48);
  for (const sSample& sample : SamplesOfEveryFormat(picture)) {
    SCOPED_TRACE(sample.name);
    ASSERT_FALSE(sample.bytes.empty());
    cBitmap from_memory;
    ASSERT_EQ(LoadPictureFromMemory(sample.bytes.data(), sample.bytes.size(), &from_memory).code(),
              hv::kOk);
    ExpectQuadrants(from_memory, 64, 48, sample.tolerance);

    const std::string path = folder.File("picture");
    ASSERT_TRUE(WriteSampleFile(path, sample.bytes));
    cBitmap from_file;
    ASSERT_EQ(LoadPictureFile(path.c_str(), &from_file).code(), hv::kOk);
    ExpectQuadrants(from_file, 64, 48, sample.tolerance);
  }
}

TEST(PictureLoaderTest, FormatComesFromTheContentNotTheName) {
  const cTempFolder folder;
  const cBitmap picture = MakeQuadrantPicture(10, 8);
  const std::string png_named_jpg = folder.File("cam1.jpg");
  ASSERT_TRUE(WriteSampleFile(png_named_jpg, EncodePngSample(picture)));
  cBitmap bitmap;
  ASSERT_EQ(LoadPictureFile(png_named_jpg.c_str(), &bitmap).code(), hv::kOk);
  ExpectQuadrants(bitmap, 10, 8, 0);

  const std::string bmp_without_extension = folder.File("VH");
  ASSERT_TRUE(WriteSampleFile(bmp_without_extension, EncodeBmpSample(picture)));
  ASSERT_EQ(LoadPictureFile(bmp_without_extension.c_str(), &bitmap).code(), hv::kOk);
  ExpectQuadrants(bitmap, 10, 8, 0);
}

TEST(PictureLoaderTest, KeepsTransparencyOfGifPngTiffAndBmp) {
  cBitmap picture = MakeQuadrantPicture(8, 8);
  picture.SetPixel(1, 1, 0);  // fully transparent
  sTiffSampleOptions tiff_alpha;
  tiff_alpha.with_alpha = true;
  sBmpSampleOptions bmp_alpha;
  bmp_alpha.bits = 32;
  bmp_alpha.alpha_bitfields = true;
  const std::vector<sSample> samples = {
      {"gif", EncodeGifSample(picture), 0},
      {"png", EncodePngSample(picture), 0},
      {"tiff", EncodeTiffSample(picture, tiff_alpha), 0},
      {"bmp", EncodeBmpSample(picture, bmp_alpha), 0},
  };
  for (const sSample& sample : samples) {
    SCOPED_TRACE(sample.name);
    cBitmap bitmap;
    ASSERT_EQ(LoadPictureFromMemory(sample.bytes.data(), sample.bytes.size(), &bitmap).code(),
              hv::kOk);
    EXPECT_EQ(PixelAlpha(bitmap.PixelAt(1, 1)), 0u);
    EXPECT_EQ(bitmap.PixelAt(2, 1), kOpaqueRed);
  }
  // Half-transparent pixels keep their colour (straight alpha) through PNG and TIFF.
  picture.SetPixel(2, 2, ArgbPixel(128, 200, 100, 50));
  for (const cPictureBytes& bytes :
       {EncodePngSample(picture), EncodeTiffSample(picture, tiff_alpha)}) {
    cBitmap bitmap;
    ASSERT_EQ(LoadPictureFromMemory(bytes.data(), bytes.size(), &bitmap).code(), hv::kOk);
    EXPECT_TRUE(ColourNear(bitmap.PixelAt(2, 2), ArgbPixel(128, 200, 100, 50), 2));
  }
}

TEST(PictureLoaderTest, GreyscaleJpegLoadsAsGrey) {
  cBitmap picture;
  ASSERT_EQ(picture.Allocate(16, 16, ArgbPixel(255, 90, 90, 90)).code(), hv::kOk);
  sJpegSampleOptions grey;
  grey.greyscale = true;
  const cPictureBytes bytes = EncodeJpegSample(picture, grey);
  cBitmap bitmap;
  ASSERT_EQ(LoadPictureFromMemory(bytes.data(), bytes.size(), &bitmap).code(), hv::kOk);
  EXPECT_TRUE(ColourNear(bitmap.PixelAt(8, 8), ArgbPixel(255, 90, 90, 90), 3));
}

TEST(PictureLoaderTest, AdobeCmykJpegLoadsAsRgb) {
  // Inverted CMYK: cyan 255 means no cyan. C=255 M=0 Y=0 K=255 is full magenta and yellow
  // ink, no cyan, no black: red.
  cBitmap cmyk;
  ASSERT_EQ(cmyk.Allocate(16, 16).code(), hv::kOk);
  auto* bytes = reinterpret_cast<uint8_t*>(cmyk.Pixels());
  for (size_t i = 0; i < 16 * 16; ++i) {
    bytes[4 * i + 0] = 255;
    bytes[4 * i + 1] = 0;
    bytes[4 * i + 2] = 0;
    bytes[4 * i + 3] = 255;
  }
  sJpegSampleOptions options;
  options.cmyk = true;
  const cPictureBytes jpeg = EncodeJpegSample(cmyk, options);
  ASSERT_FALSE(jpeg.empty());
  cBitmap bitmap;
  ASSERT_EQ(LoadPictureFromMemory(jpeg.data(), jpeg.size(), &bitmap).code(), hv::kOk);
  EXPECT_TRUE(ColourNear(bitmap.PixelAt(8, 8), kOpaqueRed, 6));
}

// Every cut of every sample: the loader either refuses it or (when only trailing bytes
// that carry no pixels are missing) returns the whole picture, never a partial one.
TEST(PictureLoaderTest, TruncatedFilesAreRefusedWithoutReadingPastTheEnd) {
  const cBitmap picture = MakeQuadrantPicture(24, 16);
  for (const sSample& sample : SamplesOfEveryFormat(picture)) {
    SCOPED_TRACE(sample.name);
    cBitmap whole;
    ASSERT_EQ(LoadPictureFromMemory(sample.bytes.data(), sample.bytes.size(), &whole).code(),
              hv::kOk);
    const size_t size = sample.bytes.size();
    const size_t step = size / 200 + 1;
    for (size_t length = 0; length < size; length += (length + 16 >= size ? 1 : step)) {
      // An exact-size heap copy, so ASan sees any read past the cut.
      const auto* cut = new uint8_t[length == 0 ? 1 : length];
      std::copy(sample.bytes.begin(), sample.bytes.begin() + static_cast<ptrdiff_t>(length),
                const_cast<uint8_t*>(cut));
      cBitmap bitmap;
      const int32_t status = LoadPictureFromMemory(cut, length, &bitmap).code();
      delete[] cut;
      if (status == hv::kOk) {
        // Only a missing end-of-file trailer may go unnoticed.
        EXPECT_GE(length + 13, size) << "length " << length;
        EXPECT_EQ(bitmap.Width(), whole.Width());
        EXPECT_TRUE(std::equal(bitmap.Pixels(), bitmap.Pixels() + 24 * 16, whole.Pixels()))
            << "partial picture accepted at length " << length;
      } else {
        EXPECT_EQ(status, hv::kCannotOpenFile) << "length " << length;
        EXPECT_TRUE(bitmap.IsEmpty());
      }
    }
  }
}

TEST(PictureLoaderTest, HeadersClaimingHugePicturesAreRefused) {
  const cBitmap picture = MakeQuadrantPicture(8, 8);
  std::vector<std::pair<const char*, cPictureBytes>> hostile;

  // PNG: IHDR rewritten to 100000 x 100000 with a valid CRC, so only the size is wrong.
  cPictureBytes png = EncodePngSample(picture);
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<uint8_t>(100000u >> (24 - 8 * i));
    png[20 + i] = static_cast<uint8_t>(100000u >> (24 - 8 * i));
  }
  const uLong crc = crc32(0, png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  hostile.emplace_back("png", png);

  // JPEG: the frame header's 16-bit sides set to 60000 (a 14 GB picture).
  cPictureBytes jpeg = EncodeJpegSample(picture);
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      ASSERT_EQ(BigEndian16(jpeg, i + 5), 8);
      jpeg[i + 5] = jpeg[i + 7] = 0xEA;  // 0xEA60 = 60000
      jpeg[i + 6] = jpeg[i + 8] = 0x60;
      break;
    }
  }
  hostile.emplace_back("jpeg", jpeg);

  // BMP: 100000 x 100000, and one with a sane width but a huge height.
  cPictureBytes bmp = EncodeBmpSample(picture);
  for (int i = 0; i < 4; ++i) bmp[18 + i] = bmp[22 + i] = static_cast<uint8_t>(100000u >> (8 * i));
  hostile.emplace_back("bmp", bmp);
  cPictureBytes tall_bmp = EncodeBmpSample(picture);
  for (int i = 0; i < 4; ++i) tall_bmp[22 + i] = static_cast<uint8_t>(0x7FFFFFFFu >> (8 * i));
  hostile.emplace_back("tall bmp", tall_bmp);
  cPictureBytes most_negative_height = EncodeBmpSample(picture);
  for (int i = 0; i < 4; ++i) most_negative_height[22 + i] = i == 3 ? 0x80 : 0;
  hostile.emplace_back("bmp height INT32_MIN", most_negative_height);

  // GIF: logical screen and image both 65535 x 65535.
  cPictureBytes gif = EncodeGifSample(picture);
  gif[6] = gif[7] = gif[8] = gif[9] = 0xFF;
  for (size_t i = 13 + 3 * 256; i + 9 < gif.size(); ++i) {
    if (gif[i] == 0x2C) {  // image separator
      gif[i + 5] = gif[i + 6] = gif[i + 7] = gif[i + 8] = 0xFF;
      break;
    }
  }
  hostile.emplace_back("gif", gif);

  // TIFF: width and height tags rewritten as 32-bit 100000.
  cPictureBytes tiff = EncodeTiffSample(picture);
  const uint32_t directory =
      tiff[4] | tiff[5] << 8 | tiff[6] << 16 | static_cast<uint32_t>(tiff[7]) << 24;
  const uint16_t entries = static_cast<uint16_t>(tiff[directory] | tiff[directory + 1] << 8);
  for (uint32_t e = 0; e < entries; ++e) {
    uint8_t* entry = tiff.data() + directory + 2 + 12 * e;
    const uint16_t tag = static_cast<uint16_t>(entry[0] | entry[1] << 8);
    if (tag == 256 || tag == 257) {
      entry[2] = 4;  // LONG
      entry[3] = 0;
      for (int i = 0; i < 4; ++i) entry[8 + i] = static_cast<uint8_t>(100000u >> (8 * i));
    }
  }
  hostile.emplace_back("tiff", tiff);

  for (const auto& [name, bytes] : hostile) {
    SCOPED_TRACE(name);
    cBitmap bitmap;
    EXPECT_EQ(LoadPictureFromMemory(bytes.data(), bytes.size(), &bitmap).code(),
              hv::kCannotOpenFile);
    EXPECT_TRUE(bitmap.IsEmpty());
  }
}

TEST(PictureLoaderTest, FilesThatCannotBeOpenedOrAreNotPicturesGiveTheFileError) {
  const cTempFolder folder;
  cBitmap bitmap;
  ASSERT_EQ(bitmap.Allocate(2, 2).code(), hv::kOk);
  EXPECT_EQ(LoadPictureFile(folder.File("missing.jpg").c_str(), &bitmap).code(),
            hv::kCannotOpenFile);
  EXPECT_TRUE(bitmap.IsEmpty());  // a failed load never leaves an old picture behind

  EXPECT_EQ(LoadPictureFile(folder.File("").c_str(), &bitmap).code(),
            hv::kCannotOpenFile);  // a folder

  const std::string fifo = folder.File("fifo.jpg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(LoadPictureFile(fifo.c_str(), &bitmap).code(), hv::kCannotOpenFile);  // and no hang

  const std::string empty = folder.File("empty.gif");
  ASSERT_TRUE(WriteSampleFile(empty, {}));
  EXPECT_EQ(LoadPictureFile(empty.c_str(), &bitmap).code(), hv::kCannotOpenFile);

  const std::string text = folder.File("notes.jpg");
  ASSERT_TRUE(WriteSampleFile(text, {'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(LoadPictureFile(text.c_str(), &bitmap).code(), hv::kCannotOpenFile);

  EXPECT_EQ(LoadPictureFile(nullptr, &bitmap).code(), hv::kMissingArgument);
  EXPECT_EQ(LoadPictureFile(text.c_str(), nullptr).code(), hv::kMissingArgument);
  EXPECT_EQ(LoadPictureFromMemory(nullptr, 0, &bitmap).code(), hv::kCannotOpenFile);
}

TEST(PictureLoaderTest, CorruptBytesNeverCrash) {
  // Flip bytes across each sample; whatever happens must be an orderly answer.
  const cBitmap picture = MakeQuadrantPicture(16, 16);
  for (const sSample& sample : SamplesOfEveryFormat(picture)) {
    SCOPED_TRACE(sample.name);
    for (size_t at = 0; at < sample.bytes.size(); at += sample.bytes.size() / 60 + 1) {
      cPictureBytes corrupt = sample.bytes;
      corrupt[at] ^= 0xA5;
      cBitmap bitmap;
      const int32_t status = LoadPictureFromMemory(corrupt.data(), corrupt.size(), &bitmap).code();
      EXPECT_TRUE(status == hv::kOk || status == hv::kCannotOpenFile);
      EXPECT_EQ(status == hv::kOk, !bitmap.IsEmpty());
    }
  }
}

}  // namespace hv
