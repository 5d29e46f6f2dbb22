#include "client/shell/setup/login_refused_box.h"

#include <utility>

#include "client/ui/message_box.h"
#include "client/ui/toolkit.h"

namespace hv {

cLoginRefusedBox::cLoginRefusedBox(cLoginRefusedServices services)
    : services_(std::move(services)) {}

cLoginRefusedBox::~cLoginRefusedBox() {
  if (timer_ != 0) services_.event_loop->StopTimer(timer_);
}

void cLoginRefusedBox::ConnectionEnded(bool refused) {
  if (!refused) {
    told_ = false;
    return;
  }
  if (told_ || timer_ != 0 || services_.ending()) return;
  told_ = true;
  timer_ = services_.event_loop->StartTimer(0, [this] { ShowWhenFree(); });
}

void cLoginRefusedBox::ShowWhenFree() {
  // The timer runs on while the socket is busy; the box opens at its first free turn.
  if (services_.connection_busy() && !services_.ending()) return;
  services_.event_loop->StopTimer(timer_);
  timer_ = 0;
  if (services_.ending()) return;
  const cMessageBoxAnswer answer = services_.toolkit->MessageBox().Show(
      kLoginRefusedText, kLoginRefusedCaption, cMessageBoxIcon::kWarning,
      cMessageBoxButtons::kYesNo, nullptr);
  if (answer != cMessageBoxAnswer::kYes) return;
  // Whatever the user sets up now deserves its own word if it is refused too.
  told_ = false;
  services_.open_setup();
}

}  // namespace hv
