// What the picture benchmarks share: the camera-like JPEG they decode, and the plain decoding
// of one from memory that the thumbnail paths are measured against.
#ifndef HV_BENCH_PICTURE_JPEG_DECODING_H_
#define HV_BENCH_PICTURE_JPEG_DECODING_H_

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

#include "client/picture/bitmap.h"
#include "client/picture/picture_loader.h"
#include "client/picture/testing/sample_pictures.h"
#include "core/status.h"

namespace hv::bench {

// A camera-like JPEG (quality 75) of the size; without one there is nothing to measure.
inline cPictureBytes CameraJpeg(uint32_t width, uint32_t height) {
  cPictureBytes bytes = CameraLikeJpeg(width, height);
  if (bytes.empty()) std::abort();
  return bytes;
}

// Decodes `jpeg` from memory into one reused bitmap, once an iteration; an item is a picture.
inline void DecodeEachIteration(benchmark::State& state, const cPictureBytes& jpeg) {
  cBitmap bitmap;
  for (auto _ : state) {
    if (!LoadPictureFromMemory(jpeg.data(), jpeg.size(), &bitmap).ok()) {
      state.SkipWithError("thumbnail did not decode");
      break;
    }
    benchmark::DoNotOptimize(bitmap.Pixels());
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace hv::bench

#endif  // HV_BENCH_PICTURE_JPEG_DECODING_H_
