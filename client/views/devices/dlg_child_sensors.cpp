#include "client/views/devices/dlg_child_sensors.h"

#include "client/views/devices/device_rows.h"
#include "client/views/devices/item_view_descriptions.h"
#include "client/views/format_trimmed_real.h"
#include "core/status.h"

namespace hv {

CDlgChildSensors::CDlgChildSensors(int32_t placement, const cItemViewServices& services)
    : cItemListView(placement, services, kSensorsViewDescription) {}

int32_t CDlgChildSensors::ImageIndex(uint32_t type, uint32_t io_kind) {
  return DeviceImageIndex(type, io_kind, {.own_io_kinds = 3, .x10 = 3, .wired = 4});
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

Status CDlgChildSensors::AddSensor(const SensorRecord& record) {
  return AddRow(record.name, DeviceRowTexts(record, TypeText(record.kind)),
                ImageIndex(record.kind, record.io_kind), IsActive(record.status));
}

// A sensor's status change brings its new value too.
Status CDlgChildSensors::SetSensorStatus(const StatusChangeRecord& record) {
  return ShowRowStatus(record.name, DeviceStatusText(record.status),
                       FormatTrimmedReal(record.value).CStr(), IsActive(record.status));
}

}  // namespace hv
