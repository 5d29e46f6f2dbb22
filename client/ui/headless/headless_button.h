// cHeadlessButton: an in-memory push button, check box or picture button.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_BUTTON_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_BUTTON_H_

#include "client/picture/bitmap.h"
#include "client/ui/button.h"
#include "client/ui/headless/headless_control.h"

namespace hv {

class cHeadlessButton : public tHeadlessControl<cButton> {
 public:
  using tHeadlessControl<cButton>::tHeadlessControl;

  void SetCheck(int32_t state) override { check_ = state; }
  int32_t GetCheck() const override { return check_; }
  void SetPicture(const cBitmap* picture, bool stretch) override;

  // What a picture button would draw: its picture (empty for none) and how.
  const cBitmap& Picture() const { return picture_; }
  bool Stretch() const { return stretch_; }

 private:
  int32_t check_ = 0;
  cBitmap picture_;
  bool stretch_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_BUTTON_H_
