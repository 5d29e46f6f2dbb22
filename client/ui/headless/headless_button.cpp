#include "client/ui/headless/headless_button.h"

namespace hv {

void cHeadlessButton::SetPicture(const cBitmap* picture, bool stretch) {
  if (picture != nullptr) {
    picture_ = *picture;
  } else {
    picture_.Clear();
  }
  stretch_ = stretch;
}

}  // namespace hv
