// Thumbnails as they reach a video view: an 80 x 60 JPEG (quality 75) decoded from the bytes
// of its answer (a thumbnail this size comes in one block, which the receive path hands
// over in memory) into a fresh bitmap, and added to a video view that keeps the usual 100
// ("Max Snapshots"), as the main window does for every Thumbnail answer: through the
// thumbnail decoder's workers as the program does, and on one thread. The reference beside
// them in the same run: the same JPEG only decoded, into one reused bitmap, on one thread.
// items_per_second is thumbnails per second.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "bench/picture/jpeg_decoding.h"
#include "client/picture/bitmap.h"
#include "client/picture/picture_loader.h"
#include "client/platform/poll_event_loop.h"
#include "client/platform/testing/fake_clock.h"
#include "client/protocol/answer_records.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/views/tab_child_owner.h"
#include "client/views/video/dlg_child_video.h"
#include "client/views/video/dlg_child_video_layout.h"
#include "client/views/video/thumbnail_decoder.h"
#include "client/views/video/video_thumbnails.h"
#include "client/views/video/video_view_owner.h"
#include "core/status.h"
#include "core/testing/temp_config_home.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace {

class cQuietOwner : public cTabChildOwner, public cVideoViewOwner {
 public:
  hv::Status ShowLogEntry(const LogItemRecord&, CActivityItem*) override {
    return hv::Status::Ok();
  }
  void SettingsNotSaved(const Status&) override {}
  Status SnapPicture(const char*) override { return Status::Ok(); }
  Status RecordToggle(const char*) override { return Status::Ok(); }
};

// A video view of the source "Porch" in a window of its own, as the main window has it.
class cPorchVideoView {
 public:
  cPorchVideoView() : loop_(clock_) {
    cDialogLayout host_layout;
    host_layout.width = 400;
    host_layout.height = 300;
    host_ = toolkit_.CreateTopLevelWindow(host_layout, nullptr);
    services_.thumbnails = &store_;
    services_.event_loop = &loop_;
    services_.clock = &clock_;
    services_.data_folder = folder_.path().c_str();
    services_.company = "Orvane LLC";
    services_.application = "Varnholt";
    view_ = std::make_unique<CDlgChildVideo>(kPlacementTab, services_);
    view_->SetOwner(&owner_);
    view_->SetName("Porch");
    created_ = view_->Create(toolkit_, VideoViewLayout(), *host_, 0).ok();
  }
  ~cPorchVideoView() { view_->CloseChild(0); }

  bool Created() const { return created_; }
  cEventLoop& Loop() { return loop_; }
  // The next thumbnail's record: a picture name and time of its own.
  const ThumbnailRecord& NextRecord() {
    ++serial_;
    record_.source_name = "Porch";
    record_.picture_path.Format("C:\\Pictures\\Porch\\shot%u.jpg", serial_);
    record_.time_stamp = 1700000000u + serial_;
    return record_;
  }
  Status Add(const ThumbnailRecord& record, cBitmap* picture) {
    return view_->AddThumbnail(record, picture, 100);
  }

 private:
  TempConfigHome config_home_;  // the view's window values never reach the user's store
  hv::test::cTempFolder folder_{"hvbench"};
  cHeadlessToolkit toolkit_;
  cFakeClock clock_;
  cPollEventLoop loop_;
  cVideoThumbnailList store_;
  cQuietOwner owner_;
  std::unique_ptr<cWindow> host_;
  cVideoViewServices services_;
  std::unique_ptr<CDlgChildVideo> view_;
  bool created_ = false;
  ThumbnailRecord record_;
  uint32_t serial_ = 0;
};

// False, the benchmark skipped, when the view could not be made.
bool Made(const cPorchVideoView& porch, benchmark::State& state) {
  if (!porch.Created()) state.SkipWithError("the video view was not made");
  return porch.Created();
}

// One thread decodes and adds, one thumbnail after another.
void BM_ThumbnailDecodedAndAdded(benchmark::State& state) {
  const cPictureBytes jpeg = bench::CameraJpeg(80, 60);
  cPorchVideoView porch;
  if (!Made(porch, state)) return;
  for (auto _ : state) {
    cBitmap picture;
    if (!LoadPictureFromMemory(jpeg.data(), jpeg.size(), &picture).ok()) {
      state.SkipWithError("thumbnail did not decode");
      break;
    }
    if (porch.Add(porch.NextRecord(), &picture).failed()) {
      state.SkipWithError("the view did not take the thumbnail");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ThumbnailDecodedAndAdded);

// As the program does it: the thumbnails of a burst handed to the decoder as their answers
// are read, decoded on the workers (one for each core but one) and by the loop's thread,
// which adds them as they come back. Wall-clock time, since the work is spread over threads.
void BM_ThumbnailsThroughDecoder(benchmark::State& state) {
  const cPictureBytes jpeg = bench::CameraJpeg(80, 60);
  cPorchVideoView porch;
  if (!Made(porch, state)) return;
  const uint32_t workers = cThumbnailDecoder::WorkersForThisMachine();
  bool added = true;
  cThumbnailDecoder decoder(porch.Loop(), workers,
                            [&](const ThumbnailRecord& record, cBitmap& picture) {
                              if (porch.Add(record, &picture).failed()) added = false;
                            });
  ThumbnailPicture encoded;
  encoded.bytes = jpeg.data();
  encoded.size = static_cast<uint32_t>(jpeg.size());
  constexpr int kBurst = 1000;
  for (auto _ : state) {
    for (int i = 0; i < kBurst; ++i) {
      if (!decoder.Submit(porch.NextRecord(), encoded).ok()) added = false;
    }
    decoder.DeliverAll();
    if (!added) {
      state.SkipWithError("a thumbnail was not taken");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kBurst);
}
BENCHMARK(BM_ThumbnailsThroughDecoder)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ThumbnailDecodedOnly(benchmark::State& state) {
  bench::DecodeEachIteration(state, bench::CameraJpeg(80, 60));
}
BENCHMARK(BM_ThumbnailDecodedOnly);

}  // namespace

}  // namespace hv
