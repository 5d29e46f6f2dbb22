// QtScreenPlace: where the History window may open, as Qt knows it: the screen of the window
// the user asked from (the main window, usually), or the primary screen.
#ifndef HV_CLIENT_UI_QT_HISTORY_QT_SCREEN_PLACE_H_
#define HV_CLIENT_UI_QT_HISTORY_QT_SCREEN_PLACE_H_

#include "client/views/history/window_place.h"

namespace hv::history {

ScreenPlace QtScreenPlace();

}  // namespace hv::history

#endif  // HV_CLIENT_UI_QT_HISTORY_QT_SCREEN_PLACE_H_
