#include "client/views/title_label.h"

#include "client/ui/window.h"
#include "core/status.h"

namespace hv {

int32_t StyleTitleLabel(cWindow& window) {
  cControl* label = window.Control(kTitleLabelId);
  if (label == nullptr) return hv::kDeclined;
  label->SetTextColour(kTitleLabelColour);
  return hv::kOk;
}

}  // namespace hv
