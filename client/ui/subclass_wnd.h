// CSubclassWnd: a hook on a message window. Any number of hooks can be chained on one
// window; each sees the window's messages before the window's own handling, newest first,
// and passes on what it does not swallow. CSubclassWndMap keeps the newest hook of every
// hooked window and is the one procedure put in place on all of them.
//
// Attach with HookWindow(window), detach with HookWindow(nullptr) or by destroying the
// hook, in any order; when the last hook leaves, the window's procedure is put back as it
// was before the first came. A window that is destroyed lets go of all its hooks first.
// Window thread only.
#ifndef HV_CLIENT_UI_SUBCLASS_WND_H_
#define HV_CLIENT_UI_SUBCLASS_WND_H_

#include <cstdint>
#include <map>

#include "client/ui/message_window.h"

namespace hv {

class CSubclassWnd {
 public:
  CSubclassWnd() = default;
  virtual ~CSubclassWnd();
  CSubclassWnd(const CSubclassWnd&) = delete;
  CSubclassWnd& operator=(const CSubclassWnd&) = delete;

  // Attaches to `window` (detaching from any other first), or with null detaches. True.
  bool HookWindow(cMessageWindow* window);
  bool IsHooked() const { return window_ != nullptr; }
  cMessageWindow* HookedWindow() const { return window_; }

  // Sees a message of the hooked window. The default passes it on: to the hook attached
  // before this one, or to the procedure the window had before the first hook.
  virtual int64_t WindowProc(uint32_t message, uint64_t wparam, int64_t lparam);

 private:
  friend class CSubclassWndMap;
  void Detach();

  cMessageWindow* window_ = nullptr;
  cWindowProcedure* previous_ = nullptr;  // the window's procedure before its first hook
  CSubclassWnd* next_ = nullptr;          // the hook attached before this one
};

class CSubclassWndMap : public cWindowProcedure {
 public:
  // The program's one map, made on first use.
  static CSubclassWndMap& Instance();

  // The newest hook of the window, or null.
  CSubclassWnd* Lookup(const cMessageWindow* window) const;

  // The procedure in place on every hooked window: hands the message to the newest hook,
  // and on the window's destruction detaches them all.
  int64_t WindowProc(cMessageWindow& window, const cWindowMessage& message) override;

 private:
  friend class CSubclassWnd;
  void Add(cMessageWindow* window, CSubclassWnd* hook);
  void Remove(CSubclassWnd* hook);
  void RemoveAll(cMessageWindow* window);

  std::map<const cMessageWindow*, CSubclassWnd*> heads_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_SUBCLASS_WND_H_
