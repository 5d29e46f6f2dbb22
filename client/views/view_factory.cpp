#include "client/views/view_factory.h"

namespace hv {

int32_t ViewResourceId(int32_t kind) {
  switch (kind) {
    case kViewActivityLog: return 202;
    case kViewSwitches: return 199;
    case kViewSensors: return 200;
    case kViewMacros: return 201;
    case kViewModes: return 238;
    case kViewVideo: return 198;
    default: return 0;
  }
}

}  // namespace hv
