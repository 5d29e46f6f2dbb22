#include "client/views/title_label.h"

#include "client/ui/window.h"

namespace hv {

void StyleTitleLabel(cWindow& window) {
  if (cControl* label = window.Control(kTitleLabelId)) label->SetTextColour(kTitleLabelColour);
}

}  // namespace hv
