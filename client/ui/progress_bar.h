// cProgressBar: a bar that fills with the progress of some work, from 0 (empty) to 100 (full).
#ifndef HV_CLIENT_UI_PROGRESS_BAR_H_
#define HV_CLIENT_UI_PROGRESS_BAR_H_

#include <cstdint>

#include "client/ui/control.h"

namespace hv {

class cProgressBar : public cControl {
 public:
  static constexpr int32_t kFull = 100;

  // Positions outside 0..kFull are held at the nearer end.
  virtual void SetPosition(int32_t position) = 0;
  virtual int32_t Position() const = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_PROGRESS_BAR_H_
