// Where the History window opens: beside the main window, on the screen that holds it, and
// wholly within that screen's available area (without a window manager, as on a bare X
// server, nothing else would keep it there).
#ifndef HV_CLIENT_VIEWS_HISTORY_WINDOW_PLACE_H_
#define HV_CLIENT_VIEWS_HISTORY_WINDOW_PLACE_H_

#include "client/ui/rect.h"

namespace hv::history {

struct ScreenPlace {
  cRect area;   // the available area of the screen: no panel or dock covers it
  cRect owner;  // the main window; empty when there is none to open beside
};

// The window's new rectangle: its own size (no larger than the area), a little below and to
// the right of the owner's top-left corner, or centred on the area without an owner, and
// moved back inside the area where it would run off it.
cRect PlaceWindow(const cRect& window, const ScreenPlace& place);

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_WINDOW_PLACE_H_
