#include "client/picture/picture_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hv {

TEST(PictureFormatTest, RecognisesEachSignatureAndNothingElse) {
  struct sCase {
    std::vector<uint8_t> bytes;
    ePictureFormat format;
  };
  const std::vector<sCase> cases = {
      {{0xFF, 0xD8, 0xFF, 0xE0}, ePictureFormat::kJpeg},
      {{'G', 'I', 'F', '8', '7', 'a'}, ePictureFormat::kGif},
      {{'G', 'I', 'F', '8', '9', 'a', 0}, ePictureFormat::kGif},
      {{'I', 'I', 42, 0}, ePictureFormat::kTiff},
      {{'M', 'M', 0, 42}, ePictureFormat::kTiff},
      {{'I', 'I', 43, 0}, ePictureFormat::kTiff},
      {{'B', 'M', 0, 0}, ePictureFormat::kBmp},
      {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, ePictureFormat::kPng},
      // Near misses and short data.
      {{0xFF, 0xD8}, ePictureFormat::kUnknown},
      {{'G', 'I', 'F', '8', '8', 'a'}, ePictureFormat::kUnknown},
      {{'I', 'I', 0, 42}, ePictureFormat::kUnknown},
      {{'M', 'M', 42, 0}, ePictureFormat::kUnknown},
      {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}, ePictureFormat::kUnknown},
      {{'B'}, ePictureFormat::kUnknown},
      {{}, ePictureFormat::kUnknown},
  };
  for (const sCase& c : cases) {
    EXPECT_EQ(DetectPictureFormat(c.bytes.data(), c.bytes.size()), c.format)
        << "bytes: " << std::string(c.bytes.begin(), c.bytes.end());
  }
  EXPECT_EQ(DetectPictureFormat(nullptr, 8), ePictureFormat::kUnknown);
}

}  // namespace hv
