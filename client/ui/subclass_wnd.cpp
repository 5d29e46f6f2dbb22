#include "client/ui/subclass_wnd.h"

namespace hv {

CSubclassWnd::~CSubclassWnd() { Detach(); }

bool CSubclassWnd::HookWindow(cMessageWindow* window) {
  if (window == window_) return true;
  Detach();
  if (window != nullptr) CSubclassWndMap::Instance().Add(window, this);
  return true;
}

void CSubclassWnd::Detach() {
  if (window_ != nullptr) CSubclassWndMap::Instance().Remove(this);
}

int64_t CSubclassWnd::WindowProc(uint32_t message, uint64_t wparam, int64_t lparam) {
  if (next_ != nullptr) return next_->WindowProc(message, wparam, lparam);
  if (previous_ != nullptr && window_ != nullptr) {
    return previous_->WindowProc(*window_, cWindowMessage{message, wparam, lparam});
  }
  return 0;
}

CSubclassWndMap& CSubclassWndMap::Instance() {
  static CSubclassWndMap map;
  return map;
}

CSubclassWnd* CSubclassWndMap::Lookup(const cMessageWindow* window) const {
  auto found = heads_.find(window);
  return found != heads_.end() ? found->second : nullptr;
}

void CSubclassWndMap::Add(cMessageWindow* window, CSubclassWnd* hook) {
  CSubclassWnd* head = Lookup(window);
  hook->window_ = window;
  hook->next_ = head;
  heads_[window] = hook;
  if (head != nullptr) {
    hook->previous_ = head->previous_;
  } else {
    hook->previous_ = window->SetProcedure(this);
  }
}

void CSubclassWndMap::Remove(CSubclassWnd* hook) {
  cMessageWindow* window = hook->window_;
  CSubclassWnd* head = Lookup(window);
  if (head == hook) {
    if (hook->next_ != nullptr) {
      heads_[window] = hook->next_;
    } else {
      heads_.erase(window);
      (void)window->SetProcedure(hook->previous_);
    }
  } else {
    for (CSubclassWnd* at = head; at != nullptr; at = at->next_) {
      if (at->next_ == hook) {
        at->next_ = hook->next_;
        break;
      }
    }
  }
  hook->next_ = nullptr;
  hook->previous_ = nullptr;
  hook->window_ = nullptr;
}

void CSubclassWndMap::RemoveAll(cMessageWindow* window) {
  while (CSubclassWnd* head = Lookup(window)) Remove(head);
}

int64_t CSubclassWndMap::WindowProc(cMessageWindow& window, const cWindowMessage& message) {
  const cWindowMessage* saved = window.CurrentMessage();
  window.SetCurrentMessage(&message);
  int64_t result = 0;
  CSubclassWnd* head = Lookup(&window);
  if (message.message == kMessageNcDestroy) {
    // The window is going: every hook lets go, and the window's former procedure still
    // gets its last message.
    cWindowProcedure* previous = head != nullptr ? head->previous_ : nullptr;
    RemoveAll(&window);
    if (previous != nullptr) result = previous->WindowProc(window, message);
  } else if (head != nullptr) {
    result = head->WindowProc(message.message, message.wparam, message.lparam);
  }
  window.SetCurrentMessage(saved);
  return result;
}

}  // namespace hv
