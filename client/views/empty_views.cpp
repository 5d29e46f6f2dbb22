#include "client/views/empty_views.h"

#include "client/protocol/server_connection.h"
#include "client/ui/dialog_layout.h"
#include "client/ui/window.h"
#include "client/views/devices/dlg_child_macros.h"
#include "client/views/devices/dlg_child_modes.h"
#include "client/views/devices/dlg_child_sensors.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/devices/item_view_requests.h"
#include "client/views/title_label.h"
#include "core/status.h"

namespace hv {

namespace {

// The video placeholder: its title, and a label that counts the pictures.
cDialogLayout MakeVideoLayout() {
  cDialogLayout layout{.resource_id = ViewResourceId(kViewVideo), .width = 357, .height = 94};
  layout.controls.push_back(
      cControlLayout{eControlKind::kLabel, kTitleLabelId, "Video", 4, 2, 200, 9, 0});
  layout.controls.push_back(
      cControlLayout{eControlKind::kLabel, kEmptyViewListId, "", 4, 14, 300, 9, 0});
  return layout;
}

}  // namespace

cEmptyVideoView::~cEmptyVideoView() { DestroyWindow(); }

Status cEmptyVideoView::OnInitDialog() {
  StyleTitleLabel(*Window());
  if (cControl* title = Window()->Control(kTitleLabelId)) title->SetText(Name().CStr());
  ShowCount();
  return Status::Ok();
}

void cEmptyVideoView::ShowCount() {
  if (Window() == nullptr) return;
  if (cControl* label = Window()->Control(kEmptyViewListId)) {
    swString text;
    text.Format("%d pictures", static_cast<int>(thumbnails_));
    label->SetText(text.CStr());
  }
}

Status cEmptyVideoView::AddThumbnail(const ThumbnailRecord& /*record*/, const cBitmap* /*picture*/,
                                     int32_t /*max_count*/) {
  ++thumbnails_;
  ShowCount();
  return Status::Ok();
}

Status cEmptyVideoView::RebuildThumbnails() {
  ++rebuilds_;
  ShowCount();
  return Status::Ok();
}

cEmptyViewFactory::cEmptyViewFactory(cServerConnection* connection, const char* company,
                                     const char* application, cLogViewServices log)
    : log_(std::move(log)) {
  log_.company = company;
  log_.application = application;
  if (log_.adding_entry == nullptr) log_.adding_entry = &adding_log_entry_;
  if (connection != nullptr) {
    item_requests_ = std::make_unique<cConnectionItemViewRequests>(*connection);
  }
  item_services_.requests = item_requests_.get();
  item_services_.company = company;
  item_services_.application = application;
}

cEmptyViewFactory::~cEmptyViewFactory() = default;

std::unique_ptr<cTabChildDlg> cEmptyViewFactory::MakeView(int32_t kind, int32_t placement) {
  switch (kind) {
    case kViewActivityLog: return std::make_unique<CDlgChildLog>(placement, log_);
    case kViewSwitches: return std::make_unique<CDlgChildSwitches>(placement, item_services_);
    case kViewSensors: return std::make_unique<CDlgChildSensors>(placement, item_services_);
    case kViewMacros: return std::make_unique<CDlgChildMacros>(placement, item_services_);
    case kViewModes: return std::make_unique<CDlgChildModes>(placement, item_services_);
    case kViewVideo: return std::make_unique<cEmptyVideoView>(placement);
    default: return nullptr;
  }
}

const cDialogLayout* cEmptyViewFactory::ViewLayout(int32_t kind) {
  static const cDialogLayout video = MakeVideoLayout();
  switch (kind) {
    case kViewActivityLog: return &LogViewLayout();
    case kViewSwitches: return &SwitchesViewLayout();
    case kViewSensors: return &SensorsViewLayout();
    case kViewMacros: return &MacrosViewLayout();
    case kViewModes: return &ModesViewLayout();
    case kViewVideo: return &video;
    default: return nullptr;
  }
}

}  // namespace hv
