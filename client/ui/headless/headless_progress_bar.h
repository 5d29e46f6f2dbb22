// cHeadlessProgressBar: an in-memory progress bar; a test reads its position back.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_PROGRESS_BAR_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_PROGRESS_BAR_H_

#include <algorithm>

#include "client/ui/headless/headless_control.h"
#include "client/ui/progress_bar.h"

namespace hv {

class cHeadlessProgressBar : public tHeadlessControl<cProgressBar> {
 public:
  using tHeadlessControl<cProgressBar>::tHeadlessControl;

  void SetPosition(int32_t position) override { position_ = std::clamp(position, 0, kFull); }
  int32_t Position() const override { return position_; }

 private:
  int32_t position_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_PROGRESS_BAR_H_
