// Thumbnails as they reach a video view: an 80 x 60 JPEG (quality 75) decoded from the bytes
// of its answer (a thumbnail this size comes in one block, which the receive path hands
// over in memory) into a fresh bitmap, and added to a video view that keeps the usual 100
// ("Max Snapshots"), as the main window does for every Thumbnail answer. The reference
// beside it in the same run: the same JPEG only decoded, into one reused bitmap.
// items_per_second is thumbnails per second.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "client/picture/bitmap.h"
#include "client/picture/picture_loader.h"
#include "client/picture/testing/sample_pictures.h"
#include "client/platform/poll_event_loop.h"
#include "client/platform/testing/fake_clock.h"
#include "client/protocol/answer_records.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/views/dlg_child_video.h"
#include "client/views/dlg_child_video_layout.h"
#include "client/views/tab_child_owner.h"
#include "client/views/video_thumbnails.h"
#include "client/views/video_view_owner.h"
#include "core/status.h"
#include "core/testing/temp_config_home.h"
#include "core/testing/temp_folder.h"

namespace {

// A camera-like picture: gradients with grain, so the JPEG is neither flat nor noise.
cPictureBytes CameraJpeg() {
  cBitmap scene;
  if (scene.Allocate(80, 60) != 0) std::abort();
  uint32_t noise = 12345;
  for (uint32_t y = 0; y < 60; ++y) {
    for (uint32_t x = 0; x < 80; ++x) {
      noise = noise * 1103515245u + 12345u;
      const uint32_t grain = (noise >> 16) & 0x1F;
      scene.SetPixel(x, y,
                     ArgbPixel(255, (x * 3 + grain) & 0xFF, (y * 4 + grain) & 0xFF,
                               ((x + y) * 2 + grain) & 0xFF));
    }
  }
  sJpegSampleOptions options;
  options.quality = 75;
  cPictureBytes bytes = EncodeJpegSample(scene, options);
  if (bytes.empty()) std::abort();
  return bytes;
}

class cQuietOwner : public cTabChildOwner, public cVideoViewOwner {
 public:
  int32_t ShowLogEntry(const LogItemRecord&, CActivityItem*) override { return hv::kOk; }
  int32_t SnapPicture(const char*) override { return hv::kOk; }
  int32_t RecordToggle(const char*) override { return hv::kOk; }
};

void BM_ThumbnailDecodedAndAdded(benchmark::State& state) {
  TempConfigHome config_home;  // the view's window values never reach the user's store
  hvtest::cTempFolder folder("hvbench");
  const cPictureBytes jpeg = CameraJpeg();
  cHeadlessToolkit toolkit;
  cFakeClock clock;
  cPollEventLoop loop(clock);
  cVideoThumbnailList store;
  cQuietOwner owner;
  cDialogLayout host_layout;
  host_layout.width = 400;
  host_layout.height = 300;
  std::unique_ptr<cWindow> host = toolkit.CreateTopLevelWindow(host_layout, nullptr);
  cVideoViewServices services;
  services.thumbnails = &store;
  services.event_loop = &loop;
  services.clock = &clock;
  services.data_folder = folder.path().c_str();
  services.company = "Orvane LLC";
  services.application = "Varnholt";
  CDlgChildVideo view(kPlacementTab, services);
  view.SetOwner(&owner);
  view.SetName("Porch");
  if (view.Create(toolkit, VideoViewLayout(), *host, 0) != hv::kOk) {
    state.SkipWithError("the video view was not made");
    return;
  }
  ThumbnailRecord record;
  record.source_name = "Porch";
  uint32_t serial = 0;
  for (auto _ : state) {
    cBitmap picture;
    if (LoadPictureFromMemory(jpeg.data(), jpeg.size(), &picture) != hv::kOk) {
      state.SkipWithError("thumbnail did not decode");
      break;
    }
    ++serial;
    record.picture_path.Format("C:\\Pictures\\Porch\\shot%u.jpg", serial);
    record.time_stamp = 1700000000u + serial;
    if (view.AddThumbnail(record, &picture, 100) < 0) {
      state.SkipWithError("the view did not take the thumbnail");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  (void)view.CloseChild(0);
}
BENCHMARK(BM_ThumbnailDecodedAndAdded);

void BM_ThumbnailDecodedOnly(benchmark::State& state) {
  const cPictureBytes jpeg = CameraJpeg();
  cBitmap bitmap;
  for (auto _ : state) {
    if (LoadPictureFromMemory(jpeg.data(), jpeg.size(), &bitmap) != hv::kOk) {
      state.SkipWithError("thumbnail did not decode");
      break;
    }
    benchmark::DoNotOptimize(bitmap.Pixels());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ThumbnailDecodedOnly);

}  // namespace
