// cCommandRoute: one row of a dialog's command table: a control, what it did, and the member
// that answers it. Most of a dialog's commands only call one member; kept as a table they read
// as what they are, and a new button is one row instead of another case of a switch.
// Commands with more to them (OK and Cancel, a busy dialog that refuses clicks) stay code.
#ifndef HV_CLIENT_UI_COMMAND_ROUTES_H_
#define HV_CLIENT_UI_COMMAND_ROUTES_H_

#include <cstddef>
#include <cstdint>

#include "client/ui/window.h"

namespace hv {

template <class Dialog>
struct cCommandRoute {
  int32_t id;
  eCommandEvent event;
  void (Dialog::*answer)();
};

// Calls the answer of the first row for the id and event; false when no row has them.
template <class Dialog, size_t N>
bool RouteCommand(Dialog& dialog, const cCommandRoute<Dialog> (&routes)[N], int32_t id,
                  eCommandEvent event) {
  for (const cCommandRoute<Dialog>& route : routes) {
    if (route.id != id || route.event != event) continue;
    (dialog.*route.answer)();
    return true;
  }
  return false;
}

}  // namespace hv

#endif  // HV_CLIENT_UI_COMMAND_ROUTES_H_
