// CButtonZirer: an arrow button of the camera motion dialog. It knows its direction and
// whether it is being held down, from the moment it is shown pressed until it is let go,
// so that the dialog's timer can keep the camera panning while the user holds it.
#ifndef HV_CLIENT_VIEWS_VIDEO_BUTTON_ZIRER_H_
#define HV_CLIENT_VIEWS_VIDEO_BUTTON_ZIRER_H_

#include <cstdint>

namespace hv {

class CDlgZirer;

// Directions, also the pan's motion code.
enum : int32_t {
  kZirerLeft = 0,
  kZirerRight = 1,
  kZirerUp = 2,
  kZirerDown = 3,
};

class CButtonZirer {
 public:
  CButtonZirer() = default;
  // Registers the button with its dialog (not owned) and direction; repeat mode 1 pans for
  // as long as it is held.
  void Register(CDlgZirer* dialog, int32_t direction, int32_t repeat_mode) {
    dialog_ = dialog;
    direction_ = direction;
    repeat_mode_ = repeat_mode;
  }

  // The button is shown pressed (true) or loses the mouse (false).
  void OnPressed(bool pressed) { held_ = pressed ? 1 : 0; }
  void Release() { held_ = 0; }

  int16_t Held() const { return held_; }
  int32_t Direction() const { return direction_; }
  CDlgZirer* Dialog() const { return dialog_; }

 private:
  CDlgZirer* dialog_ = nullptr;
  int32_t direction_ = kZirerLeft;
  int32_t repeat_mode_ = 0;
  int16_t held_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_BUTTON_ZIRER_H_
