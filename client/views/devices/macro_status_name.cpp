#include "client/views/devices/macro_status_name.h"

namespace hv {

const char* MacroStatusName(int32_t code) {
  switch (code) {
    case 1: return "Disabled";
    case 2: return "Monitoring";
    case 3: return "In Progress";
    default: return "Unknown type";
  }
}

}  // namespace hv
