#include "client/views/view_maker.h"

#include <utility>

#include "client/protocol/server_connection.h"
#include "client/views/devices/dlg_child_macros.h"
#include "client/views/devices/dlg_child_modes.h"
#include "client/views/devices/dlg_child_sensors.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/devices/item_view_requests.h"
#include "client/views/video/dlg_child_video_layout.h"

namespace hv {

ViewMaker::ViewMaker(cServerConnection* connection, const char* company, const char* application,
                     cLogViewServices log, cVideoViewServices video)
    : log_(std::move(log)), video_(std::move(video)) {
  log_.company = company;
  log_.application = application;
  if (log_.adding_entry == nullptr) log_.adding_entry = &adding_log_entry_;
  if (connection != nullptr) {
    item_requests_ = std::make_unique<cConnectionItemViewRequests>(*connection);
    if (video_.requests == nullptr) {
      video_requests_ = std::make_unique<cConnectionVideoRequests>(*connection);
      video_.requests = video_requests_.get();
    }
  }
  item_services_.requests = item_requests_.get();
  item_services_.company = company;
  item_services_.application = application;
  if (video_.company.GetLength() == 0) video_.company = company;
  if (video_.application.GetLength() == 0) video_.application = application;
}

ViewMaker::~ViewMaker() = default;

std::unique_ptr<cTabChildDlg> ViewMaker::MakeView(ViewKind kind, int32_t placement) {
  switch (kind) {
    case ViewKind::kActivityLog: return std::make_unique<CDlgChildLog>(placement, log_);
    case ViewKind::kSwitches: return std::make_unique<CDlgChildSwitches>(placement, item_services_);
    case ViewKind::kSensors: return std::make_unique<CDlgChildSensors>(placement, item_services_);
    case ViewKind::kMacros: return std::make_unique<CDlgChildMacros>(placement, item_services_);
    case ViewKind::kModes: return std::make_unique<CDlgChildModes>(placement, item_services_);
    case ViewKind::kVideo: return std::make_unique<CDlgChildVideo>(placement, video_);
  }
  return nullptr;  // a number no kind has, cast in by hand
}

const cDialogLayout& ViewMaker::ViewLayout(ViewKind kind) {
  switch (kind) {
    case ViewKind::kActivityLog: return LogViewLayout();
    case ViewKind::kSwitches: return SwitchesViewLayout();
    case ViewKind::kSensors: return SensorsViewLayout();
    case ViewKind::kMacros: return MacrosViewLayout();
    case ViewKind::kModes: return ModesViewLayout();
    case ViewKind::kVideo: return VideoViewLayout();
  }
  return LogViewLayout();  // a number no kind has, cast in by hand
}

}  // namespace hv
