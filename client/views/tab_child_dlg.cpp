#include "client/views/tab_child_dlg.h"

#include "client/protocol/log_item_record.h"
#include "client/ui/toolkit.h"
#include "client/ui/window.h"
#include "client/views/tab_child_owner.h"
#include "core/status.h"

namespace hv {

cTabChildDlg::cTabChildDlg(ViewKind kind, int32_t placement) : kind_(kind), placement_(placement) {}

cTabChildDlg::~cTabChildDlg() = default;

void cTabChildDlg::MoveChild(const cRect& rect, bool repaint) {
  if (window_ == nullptr) return;
  window_->MoveWindow(rect, repaint);
  LayoutChild(nullptr);
}

void cTabChildDlg::ShowChild(bool show) {
  if (window_ != nullptr) window_->Show(show);
}

void cTabChildDlg::CloseChild(int32_t result) {
  if (window_ == nullptr) return;  // never made: no rows, nothing to save
  ReleaseRows();
  if (!window_->WindowRect().IsEmpty()) SaveSettings();
  window_->EndDialog(result);
}

void cTabChildDlg::LayoutChild(const cRect* rect) {
  if (window_ == nullptr || !list_layout_.IsMeasured()) return;
  cControl* list = window_->Control(layout_list_id_);
  if (list == nullptr) return;
  const cRect area = rect != nullptr ? *rect : window_->ClientRect();
  list->Move(list_layout_.ListRect(area), true);
}

void cTabChildDlg::PollChild() {}

Status cTabChildDlg::Create(cToolkit& toolkit, const cDialogLayout& layout, cWindow& parent,
                            int32_t host_control_id) {
  toolkit_ = &toolkit;
  window_ = toolkit.CreateChildWindow(layout, parent, host_control_id);
  if (window_ == nullptr) return Status(Where::kUi, hv::kNotFound);
  if (OnInitDialog().failed()) {
    window_.reset();
    return Status(Where::kUi, hv::kNotFound);
  }
  return Status::Ok();
}

void cTabChildDlg::DestroyWindow() {
  if (window_ == nullptr) return;
  ReleaseRows();
  if (!window_->WindowRect().IsEmpty()) SaveSettings();
  window_.reset();
}

void cTabChildDlg::ReportSettingsSave(const Status& saved) const {
  if (saved.failed() && owner_ != nullptr) owner_->SettingsNotSaved(saved);
}

void cTabChildDlg::ReportSendFailure(const char* message) {
  if (owner_ == nullptr || Retired()) return;
  owner_->ShowLogEntry(MakeClientError(kConnectionLostName, message), nullptr)
      .Ignore("the entry is itself the report; nowhere better to say");
}

}  // namespace hv
