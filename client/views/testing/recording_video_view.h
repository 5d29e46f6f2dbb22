// A camera view that only records what the main window asks of it (pictures, rebuilds, the
// view it shares pictures with), and a view maker that makes it for the camera kind and the
// real views for every other: for tests of how the main window arranges its views.
#ifndef HV_CLIENT_VIEWS_TESTING_RECORDING_VIDEO_VIEW_H_
#define HV_CLIENT_VIEWS_TESTING_RECORDING_VIDEO_VIEW_H_

#include <cstdint>
#include <memory>

#include "client/views/tab_child_dlg.h"
#include "client/views/view_feeds.h"
#include "client/views/view_maker.h"

namespace hv::test {

class cRecordingVideoView : public cTabChildDlg, public cVideoFeed {
 public:
  explicit cRecordingVideoView(int32_t placement) : cTabChildDlg(ViewKind::kVideo, placement) {}
  ~cRecordingVideoView() override { DestroyWindow(); }

  ViewFeeds Feeds() override { return {static_cast<cVideoFeed*>(this)}; }
  [[nodiscard]] Status AddThumbnail(const ThumbnailRecord& /*record*/, const cBitmap* /*picture*/,
                                    int32_t /*max_count*/) override {
    return Status::Ok();
  }
  [[nodiscard]] Status RestoreWindowState() override { return Status::Ok(); }
  [[nodiscard]] Status RebuildThumbnails() override {
    ++rebuilds_;
    return Status::Ok();
  }
  int32_t IsPreviewInTab() const override { return preview_in_tab_; }
  void SetPreviewInTab(int32_t on) override { preview_in_tab_ = on ? 1 : 0; }
  void SetSharedView(cTabChildDlg* view) override { shared_view_ = view; }

  int32_t Rebuilds() const { return rebuilds_; }
  cTabChildDlg* SharedView() const { return shared_view_; }

 private:
  int32_t rebuilds_ = 0;
  int32_t preview_in_tab_ = 0;
  cTabChildDlg* shared_view_ = nullptr;
};

class cRecordingVideoViewMaker : public cViewFactory {
 public:
  std::unique_ptr<cTabChildDlg> MakeView(ViewKind kind, int32_t placement) override {
    if (kind == ViewKind::kVideo) return std::make_unique<cRecordingVideoView>(placement);
    return real_.MakeView(kind, placement);
  }
  const cDialogLayout& ViewLayout(ViewKind kind) override { return real_.ViewLayout(kind); }

 private:
  ViewMaker real_{nullptr};
};

}  // namespace hv::test

#endif  // HV_CLIENT_VIEWS_TESTING_RECORDING_VIDEO_VIEW_H_
