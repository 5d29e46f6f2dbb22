#include "client/views/video/dlg_child_video.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <new>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/platform/shell.h"
#include "client/protocol/received_file_path.h"
#include "client/protocol/request_failures.h"
#include "client/ui/image_list.h"
#include "client/ui/report_list.h"
#include "client/ui/toolkit.h"
#include "client/ui/window_controls.h"
#include "client/views/tab_child_owner.h"
#include "client/views/title_label.h"
#include "client/views/video/dlg_child_video_layout.h"
#include "client/views/video/dlg_zirer.h"
#include "client/views/video/video_requests_port.h"
#include "client/views/video/video_view_owner.h"
#include "core/status.h"
#include "core/string/clock_text.h"

namespace hv {

namespace {

constexpr int32_t kThumbnailColourDepth = 24;

bool IsRegularFile(const swString& path) {
  struct stat info {};
  return stat(path.CStr(), &info) == 0 && S_ISREG(info.st_mode);
}

cVideoThumbnail* RecordOf(cItemValue value) {
  return reinterpret_cast<cVideoThumbnail*>(static_cast<uintptr_t>(value));
}

cItemValue ValueOf(const cVideoThumbnail* record) {
  return static_cast<cItemValue>(reinterpret_cast<uintptr_t>(record));
}

}  // namespace

CDlgChildVideo::CDlgChildVideo(int32_t placement, cVideoViewServices services)
    : cTabChildDlg(ViewKind::kVideo, placement), services_(std::move(services)) {}

CDlgChildVideo::~CDlgChildVideo() {
  if (services_.thumbnails != nullptr) services_.thumbnails->RemoveWatcher(this);
  // Settings are saved while the camera motion dialog can still tell where it is.
  DestroyWindow();
  zirer_.reset();
  for (CDlgChildVideo* borrower : std::vector<CDlgChildVideo*>(borrowers_)) {
    borrower->SetSharedView(nullptr);
  }
  SetSharedView(nullptr);
}

swString CDlgChildVideo::ThumbnailLabel(uint32_t time_stamp) {
  const std::string label = hv::FormatLocalClock(time_stamp, "%m/%d/%Y\r\n%I:%M:%S %p");
  return swString(label.data(), static_cast<uint32_t>(label.size()));
}

cReportList* CDlgChildVideo::List() const {
  return Window() != nullptr ? Window()->ReportList(video::kThumbnailList) : nullptr;
}

cImageList* CDlgChildVideo::Images() const {
  if (own_images_ != nullptr) return own_images_.get();
  return shared_view_ != nullptr ? shared_view_->own_images_.get() : nullptr;
}

bool CDlgChildVideo::Checked(int32_t id) const {
  return Window() != nullptr && IsChecked(*Window(), id);
}

Status CDlgChildVideo::OnInitDialog() {
  cWindow& window = *Window();
  window.SetEvents(this);
  StyleTitleLabel(window);
  if (services_.thumbnails != nullptr) services_.thumbnails->AddWatcher(this);
  settings_.Load(services_.company.CStr(), services_.application.CStr(), Name().CStr());
  SetCheck(window, video::kPreviewInTab, settings_.show_preview != 0);
  SetCheck(window, video::kSeparateWindow, settings_.full_screen != 0);
  // One camera motion dialog per source: the tab-page view brings it back.
  if (settings_.show_zirer == 1 && Placement() == kPlacementTab) {
    OpenZirer().Ignore("without its window the view works on; the button tries again");
  }

  cControl* list = window.Control(video::kThumbnailList);
  cControl* zirer = window.Control(video::kZirer);
  cControl* snap = window.Control(video::kSnapPicture);
  if (list != nullptr && zirer != nullptr && snap != nullptr) {
    const cRect list_rect = list->Rect();
    const cRect snap_rect = snap->Rect();
    list_top_offset_ = list_rect.top;
    strip_height_ = snap_rect.bottom - list_rect.bottom;
    button_width_ = snap_rect.Width();
    button_height_ = snap_rect.Height();
    button_gap_ = snap_rect.left - zirer->Rect().right;
    measured_ = true;
  }
  LayoutChild(nullptr);

  if (Placement() == kPlacementTab && Toolkit() != nullptr) {
    own_images_ = Toolkit()->CreateImageList(kThumbnailImageWidth, kThumbnailImageHeight,
                                             kThumbnailColourDepth);
  }
  if (cReportList* icons = List()) {
    // The label of each picture is its row's column 0.
    if (icons->ColumnCount() == 0) icons->InsertColumn(0, "", kThumbnailImageWidth);
    icons->SetImageList(Images());
  }
  ShowThumbnails();
  initialised_ = true;
  SetControlText(window, kTitleLabelId, Name().CStr());
  UpdateDisplayButton();
  return Status::Ok();
}

void CDlgChildVideo::ShowThumbnails() {
  cWindow* window = Window();
  if (window == nullptr) return;
  for (int32_t id : {video::kPreviewArea, video::kPreviewInTab, video::kSeparateWindow}) {
    if (cControl* control = window->Control(id)) control->Show(false);
  }
  for (int32_t id : {video::kThumbnailList, video::kSnapPicture}) {
    if (cControl* control = window->Control(id)) control->Show(true);
  }
  RebuildThumbnails().Ignore("it can only decline, for a view with no list yet");
  window->Repaint();
}

void CDlgChildVideo::LayoutChild(const cRect* rect) {
  cWindow* window = Window();
  if (window == nullptr) return;
  const cRect area = rect != nullptr ? *rect : window->ClientRect();
  layout_rect_ = area;
  has_layout_rect_ = true;
  if (!measured_) return;
  cControl* list = window->Control(video::kThumbnailList);
  const int32_t previous_left = list != nullptr ? list->Rect().left : area.left;
  if (list != nullptr) {
    list->Move(cRect{area.left, area.top + list_top_offset_, area.right,
                     std::max(area.top + list_top_offset_, area.bottom - strip_height_)},
               true);
  }
  int32_t x = area.left + (area.Width() - 4 * button_width_ - 3 * button_gap_) / 2;
  x = std::max(x, previous_left);
  const int32_t top = area.bottom - button_height_ - 1;
  for (int32_t id : {video::kZirer, video::kSnapPicture, video::kRecord, video::kDisplay}) {
    if (cControl* button = window->Control(id)) {
      button->Move(cRect{x, top, x + button_width_, top + button_height_}, true);
    }
    x += button_width_ + button_gap_;
  }
  const int32_t centre = top + button_height_ / 2;
  for (int32_t id : {video::kPreviewInTab, video::kSeparateWindow}) {
    if (cControl* box = window->Control(id)) {
      const cRect now = box->Rect();
      const int32_t box_top = centre - now.Height() / 2;
      box->Move(cRect{now.left, box_top, now.right, box_top + now.Height()}, true);
    }
  }
}

void CDlgChildVideo::CloseChild(int32_t result) {
  cTabChildDlg::CloseChild(result);
  if (own_images_ != nullptr) {
    // Nothing may keep drawing from pictures that are about to go.
    for (CDlgChildVideo* borrower : std::vector<CDlgChildVideo*>(borrowers_)) {
      borrower->SetSharedView(nullptr);
    }
    if (cReportList* icons = List()) {
      icons->DeleteAllRows();
      icons->SetImageList(nullptr);
    }
    own_images_.reset();
  }
}

void CDlgChildVideo::ReleaseRows() {
  if (cReportList* icons = List()) icons->DeleteAllRows();
  UpdateDisplayButton();
}

void CDlgChildVideo::SaveSettings() {
  settings_.show_preview = Checked(video::kPreviewInTab) ? 1 : 0;
  settings_.full_screen = Checked(video::kSeparateWindow) ? 1 : 0;
  if (zirer_ != nullptr && zirer_->Window() != nullptr) {
    settings_.zirer_rect = zirer_->WindowRect();
    settings_.zirer_always_on_top = zirer_->AlwaysOnTop();
  }
  // Both views of a source keep their values under the same names: only a view that has had
  // the camera motion dialog speaks for it, so the other cannot undo what the user left.
  settings_.Save(services_.company.CStr(), services_.application.CStr(), Name().CStr(),
                 zirer_ != nullptr);
}

void CDlgChildVideo::SetSharedView(cTabChildDlg* view) {
  auto* video = dynamic_cast<CDlgChildVideo*>(view);
  if (video == this) video = nullptr;
  if (shared_view_ != nullptr) {
    auto& list = shared_view_->borrowers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  shared_view_ = video;
  if (shared_view_ != nullptr) {
    shared_view_->borrowers_.push_back(this);
    last_image_index_ = shared_view_->last_image_index_;
  }
  if (own_images_ == nullptr) {
    if (cReportList* icons = List()) {
      // Rows of a borrowed list must not outlive the pictures they point into.
      if (shared_view_ == nullptr) icons->DeleteAllRows();
      icons->SetImageList(Images());
    }
  }
}

int32_t CDlgChildVideo::IsPreviewInTab() const {
  return initialised_ && Checked(video::kPreviewInTab) ? 1 : 0;
}

void CDlgChildVideo::SetPreviewInTab(int32_t on) {
  if (Window() == nullptr) return;
  SetCheck(*Window(), video::kPreviewInTab, on != 0);
  if (on == 1 && Checked(video::kSeparateWindow)) {
    SetCheck(*Window(), video::kSeparateWindow, false);
    settings_.full_screen = 0;
  }
  LayoutChild(has_layout_rect_ ? &layout_rect_ : nullptr);
  ShowThumbnails();
}

Status CDlgChildVideo::RestoreWindowState() {
  if (Window() == nullptr) return Status::Declined(Where::kUi);
  SetCheck(*Window(), video::kSeparateWindow, settings_.full_screen != 0);
  if (settings_.full_screen != 0) {
    LayoutChild(has_layout_rect_ ? &layout_rect_ : nullptr);
    ShowThumbnails();
  }
  return Status::Ok();
}

int32_t CDlgChildVideo::InsertItem(cVideoThumbnail* record, int32_t image_index) {
  cReportList* icons = List();
  if (icons == nullptr) return -1;
  // Newest first: the row goes above every row that is not newer.
  int32_t at = 0;
  while (at < icons->RowCount()) {
    const cVideoThumbnail* other = RecordOf(icons->RowValue(at));
    if (other == nullptr || other->time_stamp <= record->time_stamp) break;
    ++at;
  }
  return icons->InsertRow(at, ThumbnailLabel(record->time_stamp).CStr(), image_index,
                          ValueOf(record));
}

void CDlgChildVideo::ShiftItems() {
  cReportList* icons = List();
  if (icons == nullptr) return;
  for (int32_t row = icons->RowCount() - 1; row >= 0; --row) {
    const int32_t image = icons->RowImage(row);
    if (image > 0) {
      icons->SetRowImage(row, image - 1);
    } else if (image == 0) {
      icons->DeleteRow(row);
      --last_image_index_;
    }
  }
}

Status CDlgChildVideo::AddThumbnail(const ThumbnailRecord& answer, const cBitmap* picture,
                                    int32_t max_count) {
  if (services_.thumbnails == nullptr) return Status::Declined(Where::kUi);
  cVideoThumbnailList& store = *services_.thumbnails;
  const int32_t max = std::max(max_count, 0);
  // The view that owns the pictures counts them; a view that has none (a top-pane view, or
  // one whose window was never made) counts by the last picture it has shown.
  const int32_t shown = own_images_ != nullptr ? own_images_->Count() : last_image_index_ + 1;
  const bool full = max != 0 && shown >= max;

  cVideoThumbnail* record = store.FindByPicturePath(answer.picture_path);
  if (record == nullptr) {
    if (full) store.DropOldest(answer.source_name);
    std::unique_ptr<cVideoThumbnail> made(new (std::nothrow) cVideoThumbnail);
    if (made == nullptr) return Status(Where::kUi, hv::kOutOfMemory);
    made->source_name = answer.source_name;
    made->is_clip = answer.is_clip != 0 ? 1 : 0;
    made->picture_path = answer.picture_path;
    made->clip_path = answer.clip_path;
    record = store.Append(std::move(made));
  } else if (full && own_images_ != nullptr) {
    // Picture 0 goes below, and with it the record it belonged to: left in the store, that
    // record would come back on a rebuild showing whatever picture moved into its place.
    store.DropOldest(answer.source_name, record);
  }
  record->time_stamp =
      answer.time_stamp != 0 ? answer.time_stamp : static_cast<uint32_t>(std::time(nullptr));

  cReportList* icons = List();
  if (!initialised_ || icons == nullptr || picture == nullptr) return Status::Ok();
  // A picture shown again replaces its earlier rows in this view rather than doubling them.
  for (int32_t row = icons->RowCount() - 1; row >= 0; --row) {
    if (RecordOf(icons->RowValue(row)) == record) icons->DeleteRow(row);
  }
  if (full) {
    if (own_images_ != nullptr && own_images_->Count() > 0) own_images_->Remove(0);
    ShiftItems();
  }
  int32_t index = -1;
  if (own_images_ != nullptr) {
    index = own_images_->Add(*picture, kNoTransparentColour);
  } else if (shared_view_ != nullptr) {
    index = shared_view_->last_image_index_;
  }
  if (index >= 0) {
    last_image_index_ = index;
    if (InsertItem(record, index) < 0) return Status(Where::kUi, hv::kOutOfMemory);
    record->image_index = index;
  }
  UpdateDisplayButton();
  return Status::Ok();
}

Status CDlgChildVideo::RebuildThumbnails() {
  cReportList* icons = List();
  if (icons == nullptr || services_.thumbnails == nullptr) return Status::Declined(Where::kUi);
  icons->DeleteAllRows();
  if (shared_view_ != nullptr) last_image_index_ = shared_view_->last_image_index_;
  cImageList* images = Images();
  const int32_t pictures = images != nullptr ? images->Count() : 0;
  const cVideoThumbnailList& store = *services_.thumbnails;
  for (size_t i = 0; i < store.Count(); ++i) {
    cVideoThumbnail* record = store.At(i);
    if (record->source_name != Name()) continue;
    // A record whose picture this list does not hold (a view made after a reconnect) waits
    // for the server to send the picture again.
    if (record->image_index < 0 || record->image_index >= pictures) continue;
    InsertItem(record, record->image_index);
  }
  UpdateDisplayButton();
  return Status::Ok();
}

void CDlgChildVideo::ForgetThumbnail(const cVideoThumbnail* thumbnail) {
  cReportList* icons = List();
  if (icons == nullptr) return;
  for (int32_t row = icons->RowCount() - 1; row >= 0; --row) {
    if (RecordOf(icons->RowValue(row)) == thumbnail) icons->DeleteRow(row);
  }
  UpdateDisplayButton();
}

void CDlgChildVideo::UpdateDisplayButton() {
  cWindow* window = Window();
  if (window == nullptr) return;
  cReportList* icons = List();
  const bool selected = icons != nullptr && icons->NextSelected(-1) >= 0;
  if (cControl* display = window->Control(video::kDisplay)) display->Enable(selected);
}

void CDlgChildVideo::OnCommand(int32_t id, eCommandEvent event) {
  switch (id) {
    case video::kThumbnailList:
      if (event == eCommandEvent::kDoubleClicked) {
        Display();
      } else if (event == eCommandEvent::kSelectionChanged) {
        UpdateDisplayButton();
      }
      return;
    case video::kZirer:
      if (event == eCommandEvent::kClicked) {
        OpenZirer().Ignore("a dialog that cannot be made leaves nothing to show; a click retries");
      }
      return;
    case video::kSnapPicture:
      if (event == eCommandEvent::kClicked) SnapPicture();
      return;
    case video::kRecord:
      if (event == eCommandEvent::kClicked) ToggleRecord();
      return;
    case video::kDisplay:
      if (event == eCommandEvent::kClicked) Display();
      return;
    default: return;
  }
}

void CDlgChildVideo::SnapPicture() {
  if (auto* owner = dynamic_cast<cVideoViewOwner*>(Owner())) {
    owner->SnapPicture(Name().CStr()).Ignore("the owner reports a failed send as an entry");
  }
}

void CDlgChildVideo::ToggleRecord() {
  auto* owner = dynamic_cast<cVideoViewOwner*>(Owner());
  if (owner == nullptr || Window() == nullptr) return;
  const Status status = owner->RecordToggle(Name().CStr());
  if (status.ok()) {
    SetControlText(*Window(), video::kRecord, "Stop Record");
  } else if (status.declined()) {
    SetControlText(*Window(), video::kRecord, "Record");
  }
}

void CDlgChildVideo::Display() {
  cReportList* icons = List();
  if (icons == nullptr) return;
  if (icons->NextSelected(-1) < 0) {
    if (Toolkit() != nullptr) Toolkit()->Beep(eBeep::kDefault);
    return;
  }
  // The selection is read first, by value: a send pumps events, and meanwhile a thumbnail
  // may drop the oldest record or a reconnect clear the store and rebuild the views.
  struct cChosen {
    swString source_name;
    swString picture_path;
    swString clip_path;
    uint32_t time_stamp;
    bool is_clip;
  };
  std::vector<cChosen> chosen;
  for (int32_t row = icons->NextSelected(-1); row >= 0; row = icons->NextSelected(row)) {
    if (const cVideoThumbnail* record = RecordOf(icons->RowValue(row))) {
      chosen.push_back({record->source_name, record->picture_path, record->clip_path,
                        record->time_stamp, record->is_clip != 0});
    }
  }
  const hv::cLifetime::cWatch alive = LifeWatch();
  for (const cChosen& record : chosen) {
    swString picture_file;
    if (ReceivedFilePath(services_.data_folder, record.picture_path.CStr(), &picture_file)
            .failed()) {
      continue;  // a name that could never be stored here
    }
    if (!IsRegularFile(picture_file)) {
      // The answer stores the file and opens it.
      if (services_.requests == nullptr || !services_.requests->IsConnected()) continue;
      const Status sent = services_.requests->GetFullPicture(
          record.source_name.CStr(), record.picture_path.CStr(), record.time_stamp);
      if (!alive.Alive()) return;  // replaced while the send waited
      if (sent.failed()) ReportSendFailure(failure::kGetFullPicture);
      continue;
    }
    swString target = picture_file;
    if (record.is_clip) {
      // The clip when it has been stored here too; else its picture.
      swString clip_file;
      if (!ReceivedFilePath(services_.data_folder, record.clip_path.CStr(), &clip_file).failed() &&
          IsRegularFile(clip_file)) {
        target = clip_file;
      }
    }
    if (services_.shell != nullptr) {
      services_.shell->Open(target.CStr())
          .Ignore("the received file stays in the data folder; only this viewing is lost");
    }
  }
}

Status CDlgChildVideo::OpenZirer() {
  if (Toolkit() == nullptr || services_.clock == nullptr) return Status(Where::kUi, hv::kNotFound);
  if (zirer_ == nullptr) {
    auto dialog =
        std::make_unique<CDlgZirer>(Name().CStr(), this, settings_.zirer_always_on_top,
                                    services_.requests, services_.event_loop, *services_.clock);
    if (Status made = dialog->Create(*Toolkit()); !made.ok()) return made;
    dialog->SetBusyCheck(services_.is_busy);
    zirer_ = std::move(dialog);
    cWindow& window = *zirer_->Window();
    const cRect own = window.WindowRect();
    // A dialog that was never placed keeps where the desktop puts it.
    if (!settings_.zirer_rect.IsEmpty() || settings_.zirer_rect.left != 0 ||
        settings_.zirer_rect.top != 0) {
      const int32_t left = settings_.zirer_rect.left;
      const int32_t top = settings_.zirer_rect.top;
      window.MoveWindow(cRect{left, top, left + own.Width(), top + own.Height()}, true);
    }
    settings_.zirer_rect = window.WindowRect();
  }
  zirer_->Window()->Show(true);
  settings_.show_zirer = 1;
  zirer_->Window()->Activate();
  return Status::Ok();
}

}  // namespace hv
