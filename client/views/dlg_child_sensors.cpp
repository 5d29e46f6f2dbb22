#include "client/views/dlg_child_sensors.h"

#include "client/protocol/request_failures.h"
#include "client/ui/report_list.h"
#include "client/views/format_trimmed_real.h"
#include "client/views/item_view_icons.h"
#include "client/views/item_view_layouts.h"
#include "client/views/item_view_requests.h"
#include "client/views/x10_function_name.h"
#include "core/status.h"

namespace {

const std::vector<cItemColumn> kColumns = {
    {"Status", 44}, {"Status Data", 70}, {"Sensor Name", 150}, {"Description", 150}, {"Type", 67}};

// These IO kinds share the X10 sensor picture; the IO kinds beyond the card (0), the module
// (1) and the thermometer (2) that are not among them show the wired sensor.
bool IsX10LikeIoKind(uint32_t io_kind) { return (io_kind >= 3 && io_kind <= 8) || io_kind == 10; }

}  // namespace

CDlgChildSensors::CDlgChildSensors(int32_t placement, const cItemViewServices& services)
    : cItemListView(kViewSensors, placement, services, kSensorListId, "MainSensorList", kColumns) {}

int32_t CDlgChildSensors::ImageIndex(uint32_t type, uint32_t io_kind) {
  switch (type) {
    case kSensorTypeX10: return 3;
    case kSensorTypeIo:
      if (io_kind <= 2) return static_cast<int32_t>(io_kind);
      return IsX10LikeIoKind(io_kind) ? 3 : 4;
    default: return 0;
  }
}

const char* CDlgChildSensors::TypeText(uint32_t type) {
  switch (type) {
    case kSensorTypeX10: return "X10 Sensor";
    case kSensorTypeIo: return "IO Sensor";
    default: return "Undefined";
  }
}

bool CDlgChildSensors::IsActive(uint32_t status) {
  switch (status) {
    case 2:   // On
    case 4:   // Dim
    case 20:  // Door/Window Open (Min)
    case 22:  // Door/Window Open (Max)
    case 30:  // Security Light On
    case 34:  // Light On (Keychain Remote)
    case 36:  // Motion
      return true;
    default: return false;
  }
}

int32_t CDlgChildSensors::AddSensor(const SensorRecord& record) {
  const int32_t gate = GateItem(record.name);
  if (gate != hv::kOk) return gate;
  const std::vector<swString> texts = {X10FunctionName(static_cast<int32_t>(record.status), 0),
                                       FormatTrimmedReal(record.value), record.name,
                                       record.description, TypeText(record.kind)};
  return AppendRow(record.name, texts, ImageIndex(record.kind, record.io_kind),
                   IsActive(record.status));
}

int32_t CDlgChildSensors::SetSensorStatus(const StatusChangeRecord& record) {
  return ShowRowStatus(record.name, X10FunctionName(static_cast<int32_t>(record.status), 0),
                       FormatTrimmedReal(record.value).CStr(), IsActive(record.status));
}

int32_t CDlgChildSensors::SendGetItems(cItemViewRequests& requests) {
  return requests.GetSensors();
}

int32_t CDlgChildSensors::SendToggle(cItemViewRequests& requests, const swString& name,
                                     bool checked) {
  return requests.SetSensorStatus(name, checked ? 3 : 2);
}

const char* CDlgChildSensors::GetItemsFailure() const { return failure::kGetSensors; }

const char* CDlgChildSensors::ToggleFailure() const { return failure::kSetSensorStatus; }

std::vector<eItemViewIcon> CDlgChildSensors::Icons() const {
  return {eItemViewIcon::kIoCard, eItemViewIcon::kIoModule, eItemViewIcon::kThermometer,
          eItemViewIcon::kX10Sensor, eItemViewIcon::kWiredSensor};
}
