#include "client/ui/modal_dialog.h"

#include "client/ui/toolkit.h"
#include "core/status.h"

namespace hv {

cModalDialog::~cModalDialog() = default;

int32_t cModalDialog::DoModal() {
  if (toolkit_ == nullptr) return hv::kNotFound;
  window_ = toolkit_->CreateTopLevelWindow(Layout(), parent_);
  if (window_ == nullptr) return hv::kNotFound;
  window_->SetEvents(this);
  OnInitDialog();
  const int32_t result = window_->RunModal();
  window_->SetEvents(nullptr);
  window_.reset();
  OnDialogEnded();
  return result;
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
