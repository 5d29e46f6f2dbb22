#include "client/ui/modal_dialog.h"

#include "client/ui/toolkit.h"
#include "core/status.h"

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
