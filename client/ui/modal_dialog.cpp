#include "client/ui/modal_dialog.h"

#include "client/ui/toolkit.h"
#include "core/status.h"

namespace hv {

cModalDialog::~cModalDialog() = default;

Status cModalDialog::DoModal(int32_t* result) {
  if (result != nullptr) *result = kResultCancel;
  if (toolkit_ == nullptr) return Status(Where::kUi, kNotFound, "the dialog has no toolkit");
  window_ = toolkit_->CreateTopLevelWindow(Layout(), parent_);
  if (window_ == nullptr) {
    return Status(Where::kUi, kNotFound, "the dialog's window cannot be made from its layout");
  }
  window_->SetEvents(this);
  OnInitDialog();
  const int32_t ended = window_->RunModal();
  window_->SetEvents(nullptr);
  window_.reset();
  OnDialogEnded();
  if (result != nullptr) *result = ended;
  return Status::Ok();
}

bool cModalDialog::AnswerOkCancel(int32_t id, eCommandEvent event) {
  if (id != kResultOk && id != kResultCancel) return false;
  if (window_ != nullptr && event == eCommandEvent::kClicked) {
    if (id == kResultOk) {
      OnOk();
    } else {
      OnCancel();
    }
  }
  return true;
}

void cModalDialog::OnOk() {
  if (window_ != nullptr) window_->EndDialog(kResultOk);
}

void cModalDialog::OnCancel() {
  if (window_ != nullptr) window_->EndDialog(kResultCancel);
}

}  // namespace hv
