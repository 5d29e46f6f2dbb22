// How fast thumbnails decode. The server sends each video thumbnail as an 80 x 60 JPEG
// (quality 75) and the client decodes every one as it arrives, a hundred at a time after a
// login, so decoding must manage hundreds a second with room to spare. items_per_second
// is thumbnails per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "bench/picture/jpeg_decoding.h"
#include "client/picture/bitmap.h"
#include "client/picture/bitmap_drawing.h"
#include "client/picture/picture_loader.h"
#include "client/picture/testing/sample_pictures.h"

namespace hv {

namespace {

void BM_DecodeThumbnailFromMemory(benchmark::State& state) {
  const cPictureBytes jpeg = bench::CameraJpeg(80, 60);
  bench::DecodeEachIteration(state, jpeg);
  state.counters["jpeg_bytes"] = static_cast<double>(jpeg.size());
}
BENCHMARK(BM_DecodeThumbnailFromMemory);

// As the client does it: the answer's blocks are written to a temporary file, which is then
// loaded by path.
void BM_DecodeThumbnailFromFile(benchmark::State& state) {
  const char* folder = std::getenv("TMPDIR");
  std::string path =
      std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/VHXbenchXXXXXX";
  const int fd = mkstemp(path.data());
  if (fd < 0) {
    state.SkipWithError("cannot make a temporary file");
    return;
  }
  close(fd);
  if (!WriteSampleFile(path, bench::CameraJpeg(80, 60))) {
    unlink(path.c_str());
    state.SkipWithError("cannot write the temporary file");
    return;
  }
  cBitmap bitmap;
  for (auto _ : state) {
    if (!LoadPictureFile(path.c_str(), &bitmap).ok()) {
      state.SkipWithError("thumbnail did not decode");
      break;
    }
    benchmark::DoNotOptimize(bitmap.Pixels());
  }
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeThumbnailFromFile);

// A full 640 x 480 camera picture decoded and shrunk to thumbnail size.
void BM_DecodeAndShrinkFullPicture(benchmark::State& state) {
  const cPictureBytes jpeg = bench::CameraJpeg(640, 480);
  cBitmap bitmap;
  cBitmap thumbnail;
  for (auto _ : state) {
    if (!LoadPictureFromMemory(jpeg.data(), jpeg.size(), &bitmap).ok() ||
        !ScaleBitmap(bitmap, 80, 60, &thumbnail).ok()) {
      state.SkipWithError("picture did not decode");
      break;
    }
    benchmark::DoNotOptimize(thumbnail.Pixels());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeAndShrinkFullPicture);

}  // namespace

}  // namespace hv
