#include "client/views/video/thumbnail_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/picture/testing/sample_pictures.h"
#include "client/platform/poll_event_loop.h"
#include "client/platform/testing/fake_clock.h"
#include "core/status.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace {

// A picture whose width tells which thumbnail it was, so a delivery can be checked against
// the record it came with.
cPictureBytes JpegOfWidth(uint32_t width) {
  cBitmap scene;
  EXPECT_EQ(scene.Allocate(width, 6, ArgbPixel(255, 40, 90, 200)).code(), hv::kOk);
  return EncodeJpegSample(scene);
}

ThumbnailRecord RecordNumbered(uint32_t number) {
  ThumbnailRecord record;
  record.source_name = "Porch";
  record.time_stamp = number;
  return record;
}

ThumbnailPicture InMemory(const cPictureBytes& bytes) {
  ThumbnailPicture picture;
  picture.bytes = bytes.data();
  picture.size = static_cast<uint32_t>(bytes.size());
  return picture;
}

class ThumbnailDecoderTest : public ::testing::Test {
 protected:
  cThumbnailDecoder::Deliver Recorder() {
    return [this](const ThumbnailRecord& record, cBitmap& picture) {
      delivered_.push_back(record.time_stamp);
      widths_.push_back(picture.Width());
    };
  }
  // Runs the loop until `count` pictures have come back; false if they never do.
  bool PumpUntilDelivered(size_t count) {
    for (int round = 0; round < 10000 && delivered_.size() < count; ++round) loop_.Pump(1000);
    return delivered_.size() >= count;
  }

  cFakeClock clock_;
  cPollEventLoop loop_{clock_};
  std::vector<uint32_t> delivered_;
  std::vector<uint32_t> widths_;
};

TEST_F(ThumbnailDecoderTest, WithoutWorkersEachPictureComesBackInsideSubmit) {
  cThumbnailDecoder decoder(loop_, 0, Recorder());
  const cPictureBytes good = JpegOfWidth(8);
  EXPECT_TRUE(decoder.Submit(RecordNumbered(1), InMemory(good)).ok());
  ASSERT_EQ(delivered_, std::vector<uint32_t>{1});
  EXPECT_EQ(widths_[0], 8u);
  // A cut-off picture is dropped without a word.
  ThumbnailPicture cut = InMemory(good);
  cut.size = 10;
  EXPECT_TRUE(decoder.Submit(RecordNumbered(2), cut).ok());
  EXPECT_EQ(delivered_.size(), 1u);
  EXPECT_EQ(decoder.Pending(), 0u);
  EXPECT_EQ(decoder.Workers(), 0u);
}

TEST_F(ThumbnailDecoderTest, WorkersHandPicturesBackInTheOrderTheyCame) {
  cThumbnailDecoder decoder(loop_, 3, Recorder());
  // Pictures of very different sizes finish out of order on the workers; more of them than
  // may wait at once, so Submit also has to wait for the oldest now and then.
  std::vector<cPictureBytes> pictures;
  for (uint32_t i = 0; i < 8; ++i) pictures.push_back(JpegOfWidth(i % 2 == 0 ? 2 + i : 900 + i));
  const cPictureBytes broken = {0xFF, 0xD8, 0xFF, 0x00};
  std::vector<uint32_t> expected;
  const uint32_t count = 3 * cThumbnailDecoder::kMaxQueued;
  for (uint32_t n = 0; n < count; ++n) {
    if (n % 17 == 5) {
      EXPECT_TRUE(decoder.Submit(RecordNumbered(n), InMemory(broken)).ok());
      continue;
    }
    // The caller's bytes are readable only during the call: spoil them right after.
    cPictureBytes bytes = pictures[n % pictures.size()];
    EXPECT_TRUE(decoder.Submit(RecordNumbered(n), InMemory(bytes)).ok());
    std::fill(bytes.begin(), bytes.end(), 0);
    expected.push_back(n);
    EXPECT_LE(decoder.Pending(), cThumbnailDecoder::kMaxQueued);
  }
  EXPECT_GT(decoder.Workers(), 0u);
  ASSERT_TRUE(PumpUntilDelivered(expected.size()));
  EXPECT_EQ(delivered_, expected);
  for (size_t i = 0; i < delivered_.size(); ++i) {
    const uint32_t n = delivered_[i];
    const uint32_t i_picture = n % 8;
    EXPECT_EQ(widths_[i], i_picture % 2 == 0 ? 2 + i_picture : 900 + i_picture) << n;
  }
  EXPECT_EQ(decoder.Pending(), 0u);
}

TEST_F(ThumbnailDecoderTest, DeliverAllWaitsForEveryPictureWithoutTheLoop) {
  cThumbnailDecoder decoder(loop_, 2, Recorder());
  const cPictureBytes large = JpegOfWidth(1200);
  for (uint32_t n = 0; n < 10; ++n)
    ASSERT_TRUE(decoder.Submit(RecordNumbered(n), InMemory(large)).ok());
  decoder.DeliverAll();
  EXPECT_EQ(delivered_, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(decoder.Pending(), 0u);
}

TEST_F(ThumbnailDecoderTest, GatheredFileKeepsItsPlaceAndComesBackWithoutAWorker) {
  hv::test::cTempFolder folder("hvthumbs");
  const std::string path = folder.path() + "/gathered.jpg";
  const cPictureBytes file_picture = JpegOfWidth(30);
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(file_picture.data(), 1, file_picture.size(), file), file_picture.size());
  ASSERT_EQ(std::fclose(file), 0);
  ThumbnailPicture gathered;
  gathered.file = path.c_str();

  cThumbnailDecoder decoder(loop_, 2, Recorder());
  // Alone, it is decoded and handed back inside the call: no worker will wake the loop.
  ASSERT_TRUE(decoder.Submit(RecordNumbered(1), gathered).ok());
  // The same file behind a picture on a worker waits for that one.
  const cPictureBytes large = JpegOfWidth(1500);
  ASSERT_TRUE(decoder.Submit(RecordNumbered(2), InMemory(large)).ok());
  ASSERT_TRUE(decoder.Submit(RecordNumbered(3), gathered).ok());
  ASSERT_TRUE(PumpUntilDelivered(3));
  EXPECT_EQ(delivered_, (std::vector<uint32_t>{1, 2, 3}));
  EXPECT_EQ(widths_, (std::vector<uint32_t>{30, 1500, 30}));
}

TEST_F(ThumbnailDecoderTest, PicturesStillOnTheWorkersAreDroppedWhenTheDecoderGoes) {
  const cPictureBytes large = JpegOfWidth(2000);
  {
    cThumbnailDecoder decoder(loop_, 2, Recorder());
    for (uint32_t n = 0; n < 20; ++n)
      ASSERT_TRUE(decoder.Submit(RecordNumbered(n), InMemory(large)).ok());
  }
  // The watch went with the decoder: pumping reaches nothing that was freed.
  loop_.Pump(0);
  EXPECT_TRUE(delivered_.empty());
}

}  // namespace

}  // namespace hv
