#include "client/ui/message_window.h"

#include <algorithm>
#include <vector>

namespace hv {

namespace {

// The top-level message windows, in the order they were made. Only the window thread
// touches it.
std::vector<cMessageWindow*>& TopLevelWindows() {
  static std::vector<cMessageWindow*> windows;
  return windows;
}

}  // namespace

cMessageWindow::cMessageWindow(cWindowProcedure* own, cMessageWindow* parent)
    : own_(own), procedure_(own), parent_(parent) {
  if (parent_ == nullptr) TopLevelWindows().push_back(this);
}

cMessageWindow::~cMessageWindow() {
  (void)Send(kMessageNcDestroy);
  if (parent_ == nullptr) {
    std::vector<cMessageWindow*>& windows = TopLevelWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
  }
}

int64_t cMessageWindow::Send(uint32_t message, uint64_t wparam, int64_t lparam) {
  if (procedure_ == nullptr) return 0;
  return procedure_->WindowProc(*this, cWindowMessage{message, wparam, lparam});
}

cWindowProcedure* cMessageWindow::SetProcedure(cWindowProcedure* procedure) {
  cWindowProcedure* previous = procedure_;
  procedure_ = procedure != nullptr ? procedure : own_;
  return previous;
}

cMessageWindow* cMessageWindow::TopLevelParent() {
  cMessageWindow* at = this;
  while (at->parent_ != nullptr) at = at->parent_;
  return at;
}

void cMessageWindow::BroadcastToTopLevel(uint32_t message, uint64_t wparam, int64_t lparam) {
  // A copy, since a receiver may make or destroy windows; each is checked before its turn.
  const std::vector<cMessageWindow*> snapshot = TopLevelWindows();
  for (cMessageWindow* window : snapshot) {
    const std::vector<cMessageWindow*>& now = TopLevelWindows();
    if (std::find(now.begin(), now.end(), window) == now.end()) continue;
    (void)window->Send(message, wparam, lparam);
  }
}

}  // namespace hv
