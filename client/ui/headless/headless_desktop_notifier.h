// cHeadlessDesktopNotifier: keeps the notices sent to it, with their picture, for a test to
// read; `available` false plays a desktop without a notification service.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_DESKTOP_NOTIFIER_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_DESKTOP_NOTIFIER_H_

#include <string>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/ui/desktop_notifier.h"

namespace hv {

class cHeadlessDesktopNotifier : public cDesktopNotifier {
 public:
  struct cSent {
    std::string title;
    std::string text;
    eNoticeIcon icon = eNoticeIcon::kInformation;
    cBitmap picture;  // empty when none came
  };

  bool Notify(const cDesktopNotice& notice) override {
    if (!available) return false;
    cSent sent{notice.title.CStr(), notice.text.CStr(), notice.icon, {}};
    if (notice.picture != nullptr) sent.picture = *notice.picture;
    notices.push_back(std::move(sent));
    return true;
  }

  bool available = true;
  std::vector<cSent> notices;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_DESKTOP_NOTIFIER_H_
