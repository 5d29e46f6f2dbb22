// cButton: push buttons, check boxes and picture buttons. A click reaches the window's
// cWindowEvents::OnCommand with the button's id; a check box has toggled by then.
#ifndef HV_CLIENT_UI_BUTTON_H_
#define HV_CLIENT_UI_BUTTON_H_

#include "client/ui/control.h"

namespace hv {

class cBitmap;

class cButton : public cControl {
 public:
  // Check state of a check box: 0 clear, 1 set. Push buttons keep 0.
  virtual void SetCheck(int32_t state) = 0;
  virtual int32_t GetCheck() const = 0;

  // The picture a picture button draws: stretched to the whole button, or at its own size at
  // the top-left corner. Null draws nothing. The button keeps its own copy. A push button
  // shows it at its own size in the middle instead of its caption (which stays its name).
  virtual void SetPicture(const cBitmap* picture, bool stretch) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_BUTTON_H_
