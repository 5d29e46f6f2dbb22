#include "client/update/dlg_progress.h"

#include "client/ui/dialog_layout.h"
#include "client/ui/layout_rows.h"
#include "client/ui/toolkit.h"
#include "client/ui/window_controls.h"
#include "client/update/update_codes.h"

namespace hv {

namespace {

cDialogLayout MakeLayout() {
  using K = cControlLayout;
  using E = eControlKind;
  cDialogLayout layout{
      .resource_id = kProgressResourceId, .title = "Progress", .width = 240, .height = 92};
  layout.controls = {
      Label(kProgressFileLabel, "", 7, 7, 226),
      Label(kUnaddressed, "Current File:", 7, 21, 226),
      K{E::kProgressBar, kProgressFileBar, "", 7, 31, 226, 10},
      Label(kUnaddressed, "Total Progress:", 7, 47, 226),
      K{E::kProgressBar, kProgressTotalBar, "", 7, 57, 226, 10},
      Button(kResultCancel, "Cancel", 93, 73),
  };
  return layout;
}

const cDialogLayout& ProgressLayout() {
  static const cDialogLayout layout = MakeLayout();
  return layout;
}

}  // namespace

CDlgProgress::~CDlgProgress() { Destroy(); }

hv::Status CDlgProgress::Create(cToolkit& toolkit, cWindow* parent) {
  window_ = toolkit.CreateTopLevelWindow(ProgressLayout(), parent);
  if (window_ == nullptr) return hv::UpdateStatus(hv::kNoProgressDialog);
  window_->SetEvents(this);
  ShowBars();
  window_->Show(true);
  return hv::Status::Ok();
}

void CDlgProgress::Destroy() {
  if (window_ == nullptr) return;
  window_->SetEvents(nullptr);
  window_.reset();
}

int32_t CDlgProgress::Percent(uint64_t count, uint64_t size) {
  // Sixty-four bits: a file of more than 42 MB would overflow count x 100 in thirty-two.
  if (size == 0) return 0;
  const uint64_t percent = (count * 100 + size / 2) / size;
  return percent > 100 ? 100 : static_cast<int32_t>(percent);
}

void CDlgProgress::SetFileSize(uint32_t size) {
  file_size_ = size;
  position_ = 0;
  ShowBars();
}

void CDlgProgress::SetTotalSize(uint32_t size) {
  total_size_ = size;
  ShowBars();
}

void CDlgProgress::SetPosition(uint32_t position) {
  if (position > position_) {
    counted_ += position - position_;
  } else if (position < position_) {
    counted_ += position;  // a new file started without its size being set
  }
  position_ = position;
  ShowBars();
}

void CDlgProgress::SetFileName(const char* name) { file_name_ = name; }

void CDlgProgress::UpdateLabel(bool estimating) {
  label_text_ = estimating ? swString("Esimating Size: ") + file_name_ : file_name_;
  if (window_ != nullptr) SetControlText(*window_, kProgressFileLabel, label_text_.CStr());
}

void CDlgProgress::ShowBars() {
  if (window_ == nullptr) return;
  if (cProgressBar* bar = window_->ProgressBar(kProgressFileBar)) {
    bar->SetPosition(Percent(position_, file_size_));
  }
  if (cProgressBar* bar = window_->ProgressBar(kProgressTotalBar)) {
    bar->SetPosition(Percent(counted_, total_size_));
  }
}

void CDlgProgress::OnCommand(int32_t id, eCommandEvent event) {
  if (id != kResultCancel || event != eCommandEvent::kClicked) return;
  cancelled_ = true;
  if (window_ != nullptr) window_->Show(false);
}

}  // namespace hv
