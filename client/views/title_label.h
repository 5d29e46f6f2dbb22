// The views' title label: dark red text, so the view's name stands out from its controls.
#ifndef HV_CLIENT_VIEWS_TITLE_LABEL_H_
#define HV_CLIENT_VIEWS_TITLE_LABEL_H_

#include <cstdint>

#include "client/ui/control.h"

namespace hv {

class cWindow;

constexpr int32_t kTitleLabelId = 1562;
constexpr uint32_t kTitleLabelColour = RgbColour(128, 0, 0);

// Gives the window's title label its colour; every other control keeps the toolkit's. A
// window without a title label has nothing to colour, which is no failure: nothing to report.
void StyleTitleLabel(cWindow& window);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_TITLE_LABEL_H_
