// Small conveniences for dialogs that read and write their controls by id. A control that
// the layout does not have reads as empty or unchecked and ignores writes, so a dialog
// never crashes on a layout that lacks one of its controls.
#ifndef HV_CLIENT_UI_WINDOW_CONTROLS_H_
#define HV_CLIENT_UI_WINDOW_CONTROLS_H_

#include <cstdint>

#include "client/ui/window.h"
#include "core/string/sw_string.h"

namespace hv {

inline void SetControlText(cWindow& window, int32_t id, const char* text) {
  if (cControl* control = window.Control(id)) control->SetText(text);
}

inline swString ControlText(cWindow& window, int32_t id) {
  cControl* control = window.Control(id);
  return control != nullptr ? control->Text() : swString();
}

inline void SetCheck(cWindow& window, int32_t id, bool checked) {
  if (cButton* button = window.Button(id)) button->SetCheck(checked ? 1 : 0);
}

inline bool IsChecked(cWindow& window, int32_t id) {
  cButton* button = window.Button(id);
  return button != nullptr && button->GetCheck() != 0;
}

}  // namespace hv

#endif  // HV_CLIENT_UI_WINDOW_CONTROLS_H_
