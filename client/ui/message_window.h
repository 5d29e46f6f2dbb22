// cMessageWindow: a window that receives numbered messages (a tray icon's callbacks, menu
// commands, the tray's "restarted" broadcast) and hands each to its window procedure. The
// procedure can be replaced, which is how hooks (CSubclassWnd) see a window's messages
// before the window's own handling does. Toolkit-neutral: a realisation that gets its events
// elsewhere (Qt's event filters, a test) turns them into Send calls on the window thread.
//
// Top-level message windows (those without a parent) are listed program-wide, so that a
// message meant for every one of them can be broadcast.
#ifndef HV_CLIENT_UI_MESSAGE_WINDOW_H_
#define HV_CLIENT_UI_MESSAGE_WINDOW_H_

#include <cstdint>

namespace hv {

// Message numbers, as the desktop numbers them.
enum : uint32_t {
  kMessageNcDestroy = 0x0082,  // the last message a window gets, as it is destroyed
  kMessageCommand = 0x0111,    // a menu command: wparam is the command
  kMessageMouseMove = 0x0200,
  kMessageLeftButtonDown = 0x0201,
  kMessageLeftButtonUp = 0x0202,
  kMessageLeftButtonDoubleClick = 0x0203,
  kMessageRightButtonDown = 0x0204,
  kMessageRightButtonUp = 0x0205,
  kMessageRightButtonDoubleClick = 0x0206,
  kMessageMiddleButtonDown = 0x0207,
  kMessageMiddleButtonUp = 0x0208,
  kMessageMiddleButtonDoubleClick = 0x0209,
  kMessageUser = 0x0400,  // the first number a program may give its own messages
};

struct cWindowMessage {
  uint32_t message = 0;
  uint64_t wparam = 0;
  int64_t lparam = 0;
};

class cMessageWindow;

// What handles a window's messages.
class cWindowProcedure {
 public:
  virtual ~cWindowProcedure() = default;
  virtual int64_t WindowProc(cMessageWindow& window, const cWindowMessage& message) = 0;
};

class cMessageWindow {
 public:
  // `own` is the window's own handling (not owned; null: every message gives 0); `parent`
  // null makes a top-level window. Both must outlive the window.
  explicit cMessageWindow(cWindowProcedure* own, cMessageWindow* parent = nullptr);
  // The final kMessageNcDestroy goes through the procedure in place, so hooks can let go.
  ~cMessageWindow();
  cMessageWindow(const cMessageWindow&) = delete;
  cMessageWindow& operator=(const cMessageWindow&) = delete;

  // Hands the message to the procedure in place now and returns its result.
  int64_t Send(uint32_t message, uint64_t wparam = 0, int64_t lparam = 0);

  cWindowProcedure* Procedure() const { return procedure_; }
  // Puts `procedure` in place (null: the window's own) and returns the one it replaces.
  cWindowProcedure* SetProcedure(cWindowProcedure* procedure);

  // The message being handled, as the hooks record it; null between messages.
  const cWindowMessage* CurrentMessage() const { return current_; }
  void SetCurrentMessage(const cWindowMessage* message) { current_ = message; }

  // The outermost window that holds this one (itself for a top-level window).
  cMessageWindow* TopLevelParent();

  // Sends the message to every top-level message window there is now; a window that one of
  // the calls destroys is skipped.
  static void BroadcastToTopLevel(uint32_t message, uint64_t wparam = 0, int64_t lparam = 0);

 private:
  cWindowProcedure* own_;
  cWindowProcedure* procedure_;
  cMessageWindow* parent_;
  const cWindowMessage* current_ = nullptr;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_MESSAGE_WINDOW_H_
