// CDlgChildVideo: the view of one video source: the pictures (thumbnails) the server has
// taken of it, newest first, each labelled with its date and time, and the buttons to take
// a picture, start or stop a recording, open a thumbnail's full picture or clip, and open
// the camera motion dialog. The tab-page view of a source owns the 80 x 60 image list of its
// pictures; a view of the same source in the split view's top pane borrows it.
//
// The records behind the thumbnails belong to the application's cVideoThumbnailList; rows
// of the list refer to them, and a record that is freed takes its rows with it.
#ifndef HV_CLIENT_VIEWS_VIDEO_DLG_CHILD_VIDEO_H_
#define HV_CLIENT_VIEWS_VIDEO_DLG_CHILD_VIDEO_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "client/ui/window.h"
#include "client/views/tab_child_dlg.h"
#include "client/views/video/video_thumbnails.h"
#include "client/views/video/video_window_settings.h"
#include "client/views/view_feeds.h"
#include "core/string/sw_string.h"

namespace hv {

class CDlgZirer;
class cClock;
class cEventLoop;
class cImageList;
class cReportList;
class cShell;
class cVideoRequestPort;

// What a video view works with; every pointer must outlive the view.
struct cVideoViewServices {
  cVideoThumbnailList* thumbnails = nullptr;  // the application's store (required)
  cVideoRequestPort* requests = nullptr;      // null: nothing is ever sent
  cShell* shell = nullptr;                    // opens stored pictures and clips
  cEventLoop* event_loop = nullptr;           // the camera motion dialog's timer
  const cClock* clock = nullptr;
  // True while the program's own timer work runs; the camera motion dialog's held-arrow
  // pans wait for it. Empty: never busy.
  std::function<bool()> is_busy;
  swString data_folder;  // where the answers store full pictures and clips
  swString company;      // where the "Video Windows" values live
  swString application;
};

// The thumbnail picture size.
constexpr int32_t kThumbnailImageWidth = 80;
constexpr int32_t kThumbnailImageHeight = 60;

class CDlgChildVideo : public cTabChildDlg,
                       public cVideoFeed,
                       public cWindowEvents,
                       public cVideoThumbnailWatcher {
 public:
  CDlgChildVideo(int32_t placement, cVideoViewServices services);
  ~CDlgChildVideo() override;

  // cTabChildDlg. Closing also lets go of the pictures the view owns.
  void LayoutChild(const cRect* rect) override;
  void CloseChild(int32_t result) override;

  ViewFeeds Feeds() override { return {static_cast<cVideoFeed*>(this)}; }

  // cVideoFeed
  Status AddThumbnail(const ThumbnailRecord& record, const cBitmap* picture,
                      int32_t max_count) override;
  Status RestoreWindowState() override;
  Status RebuildThumbnails() override;
  int32_t IsPreviewInTab() const override;
  void SetPreviewInTab(int32_t on) override;
  void SetSharedView(cTabChildDlg* view) override;

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;

  // cVideoThumbnailWatcher
  void ForgetThumbnail(const cVideoThumbnail* thumbnail) override;

  // Opens the camera motion dialog (or shows it again) where it was last. Ok, or kNotFound
  // (Where::kUi) when its window cannot be made.
  [[nodiscard]] Status OpenZirer();
  // The camera motion dialog was hidden by the user.
  void OnZirerHidden() { settings_.show_zirer = 0; }
  // Reports a camera motion that could not be sent, as the view reports its own.
  void ReportZirerSendFailure(const char* message) { ReportSendFailure(message); }

  CDlgZirer* Zirer() const { return zirer_.get(); }
  // The tabbed view whose pictures this top-pane view draws, or null.
  CDlgChildVideo* SharedView() const { return shared_view_; }
  cImageList* Images() const;  // its own, or the shared view's; null before either exists
  const cVideoWindowSettings& Settings() const { return settings_; }

  // The label of a thumbnail taken at `time_stamp`: local date and time on two lines.
  static swString ThumbnailLabel(uint32_t time_stamp);

 protected:
  Status OnInitDialog() override;
  void ReleaseRows() override;
  void SaveSettings() override;

 private:
  cReportList* List() const;
  bool Checked(int32_t id) const;
  void ShowThumbnails();
  void UpdateDisplayButton();
  // Puts a row for the record where its time stamp belongs (newest first).
  int32_t InsertItem(cVideoThumbnail* record, int32_t image_index);
  // Every row moves its picture down by one; rows on picture 0 go.
  void ShiftItems();
  void Display();
  void ToggleRecord();
  void SnapPicture();

  cVideoViewServices services_;
  CDlgChildVideo* shared_view_ = nullptr;
  std::vector<CDlgChildVideo*> borrowers_;  // top-pane views that draw from own_images_
  std::unique_ptr<cImageList> own_images_;
  int32_t last_image_index_ = 0;
  bool initialised_ = false;
  std::unique_ptr<CDlgZirer> zirer_;
  cVideoWindowSettings settings_;
  // Measured at initialisation from the layout.
  bool measured_ = false;
  int32_t list_top_offset_ = 0;
  int32_t strip_height_ = 0;
  int32_t button_width_ = 0;
  int32_t button_height_ = 0;
  int32_t button_gap_ = 0;
  cRect layout_rect_;  // the rectangle of the last layout
  bool has_layout_rect_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_DLG_CHILD_VIDEO_H_
