#include "client/views/empty_views.h"

#include "client/protocol/item_requests.h"
#include "client/protocol/request_failures.h"
#include "client/protocol/server_connection.h"
#include "client/ui/dialog_layout.h"
#include "client/ui/report_list.h"
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

// What each kind's placeholder shows and asks for.
struct cKindInfo {
  int32_t kind;
  const char* title;
  const char* second_column;
  Status (*send)(cRemoteClientSocket*);
  const char* failure;
};

const cKindInfo kKinds[] = {
    {kViewActivityLog, "Activity Log", "Message", nullptr, nullptr},
    {kViewSwitches, "Switches", "Description", SendGetSwitches, failure::kGetSwitches},
    {kViewSensors, "Sensors", "Description", SendGetSensors, failure::kGetSensors},
    {kViewMacros, "Macros", "Description", SendGetMacros, failure::kGetMacros},
    {kViewModes, "Modes", "Description", SendGetModes, failure::kGetModes},
    {kViewVideo, "Video", "", nullptr, nullptr},
};

const cKindInfo* Info(int32_t kind) {
  for (const cKindInfo& info : kKinds) {
    if (info.kind == kind) return &info;
  }
  return nullptr;
}

cDialogLayout MakeViewLayout(int32_t kind) {
  cDialogLayout layout{.resource_id = ViewResourceId(kind), .width = 357, .height = 94};
  layout.controls.push_back(
      cControlLayout{eControlKind::kLabel, kTitleLabelId, Info(kind)->title, 4, 2, 200, 9, 0});
  if (kind == kViewVideo) {
    layout.controls.push_back(
        cControlLayout{eControlKind::kLabel, kEmptyViewListId, "", 4, 14, 300, 9, 0});
  } else {
    layout.controls.push_back(
        cControlLayout{eControlKind::kReportList, kEmptyViewListId, "", 0, 13, 357, 81, 0});
  }
  return layout;
}

}  // namespace

cEmptyListView::cEmptyListView(int32_t kind, int32_t placement, cServerConnection* connection)
    : cTabChildDlg(kind, placement), connection_(connection) {}

cEmptyListView::~cEmptyListView() { DestroyWindow(); }

cReportList* cEmptyListView::List() const {
  return Window() != nullptr ? Window()->ReportList(kEmptyViewListId) : nullptr;
}

Status cEmptyListView::OnInitDialog() {
  StyleTitleLabel(*Window());
  cReportList* list = List();
  if (list == nullptr) return Status(Where::kUi, hv::kNotFound);
  list->SetListStyles(kListFullRowSelect);
  list->InsertColumn(0, "Name", 180);
  list->InsertColumn(1, Info(Kind())->second_column, 360);
  return Status::Ok();
}

void cEmptyListView::LayoutChild(const cRect* rect) {
  if (Window() == nullptr) return;
  const cRect area = rect != nullptr ? *rect : Window()->ClientRect();
  cControl* title = Window()->Control(kTitleLabelId);
  const int32_t top = title != nullptr ? title->Rect().bottom + 2 : 0;
  if (cReportList* list = List()) {
    list->Move(cRect{0, top, area.Width(), area.Height()}, true);
  }
}

void cEmptyListView::EmptyList() {
  if (cReportList* list = List()) list->DeleteAllRows();
}

Status cEmptyListView::RequestItems() {
  EmptyList();
  const cKindInfo* info = Info(Kind());
  if (info == nullptr || info->send == nullptr) return Status::Declined(Where::kUi);
  if (connection_ == nullptr || !connection_->IsConnected()) return Status::Declined(Where::kUi);
  ++requests_sent_;
  Status status = info->send(connection_->Socket());
  if (status.failed()) ReportSendFailure(info->failure);
  return status;
}

int32_t cEmptyListView::RowCount() const {
  cReportList* list = List();
  return list != nullptr ? list->RowCount() : 0;
}

int32_t cEmptyListView::AddRow(const swString& name, const swString& second, bool at_top) {
  cReportList* list = List();
  if (list == nullptr) return hv::kDeclined;
  if (name.GetLength() == 0 && !at_top) return hv::kDeclined;  // the end of the list
  const int32_t row = list->InsertRow(at_top ? 0 : list->RowCount(), name.CStr(), -1, 0);
  if (row < 0) return hv::kOutOfMemory;
  list->SetCellText(row, 1, second.CStr());
  return hv::kOk;
}

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
  static const cDialogLayout video = MakeViewLayout(kViewVideo);
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
