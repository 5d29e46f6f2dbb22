#include "client/history/history_records.h"

namespace hv::history {

const char* ItemKindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::kSwitch: return "Switch";
    case ItemKind::kSensor: return "Sensor";
    case ItemKind::kMacro: return "Macro";
    case ItemKind::kMode: return "Mode";
    case ItemKind::kLogName: return "Log";
    case ItemKind::kCamera: return "Camera";
  }
  return "Item";
}

bool IsOnStatus(ItemKind kind, int32_t status) {
  switch (kind) {
    case ItemKind::kMacro: return status == 3;  // in progress
    case ItemKind::kMode: return status == 1;   // active
    case ItemKind::kSwitch:
    case ItemKind::kSensor:
      switch (status) {
        // All Lights On, On, Dim, Bright, Preset Dim, Pre-set Dim (2), Status On: lit.
        case 1:
        case 2:
        case 4:
        case 5:
        case 10:
        case 11:
        case 13:
        // Door or window open, panic, security light on, motion: tripped.
        case 20:
        case 22:
        case 24:
        case 30:
        case 32:
        case 34:
        case 36: return true;
        default: return false;
      }
    case ItemKind::kLogName:
    case ItemKind::kCamera: return false;
  }
  return false;
}

}  // namespace hv::history
