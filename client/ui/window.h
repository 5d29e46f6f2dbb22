// cWindow: a dialog or top-level window made from a cDialogLayout, with its controls
// addressed by id. Made by cToolkit; whoever makes one owns it, and destroying it destroys
// its controls. What the user does arrives at its cWindowEvents on the window thread.
#ifndef HV_CLIENT_UI_WINDOW_H_
#define HV_CLIENT_UI_WINDOW_H_

#include <cstdint>

#include "client/ui/button.h"
#include "client/ui/combo_box.h"
#include "client/ui/control.h"
#include "client/ui/progress_bar.h"
#include "client/ui/rect.h"
#include "client/ui/report_list.h"
#include "client/ui/tab_control.h"

namespace hv {

class cBitmap;

enum class eCommandEvent {
  kClicked,           // a button or check box (a check box has toggled by then)
  kSelectionChanged,  // a drop-down list's or tab control's selection, by the user
  kTextChanged,       // an edit, or the edit part of a drop-down list, by the user
  kDoubleClicked,
  kFocusGained,
};

// Results of a modal run, as the OK and Cancel buttons (ids 1 and 2) give them.
constexpr int32_t kResultOk = 1;
constexpr int32_t kResultCancel = 2;

class cWindowEvents {
 public:
  virtual ~cWindowEvents() = default;
  // A control did something. Escape and the close box arrive as a click of id 2 (Cancel).
  virtual void OnCommand(int32_t id, eCommandEvent event) = 0;
  virtual void OnResized(int32_t /*width*/, int32_t /*height*/) {}
  // A right click on a control (0: the window), at a screen point.
  virtual void OnContextMenu(int32_t /*control_id*/, cPoint /*screen_point*/) {}
  virtual void OnHelp() {}                              // F1
  virtual void OnSystemCommand(int32_t /*command*/) {}  // an item added to the system menu
  // A push button is shown pressed (true) or let go (false). The click of a release over
  // the button follows the release.
  virtual void OnPressed(int32_t /*id*/, bool /*pressed*/) {}
};

class cWindow {
 public:
  virtual ~cWindow() = default;

  // The control with that id, or null. The typed forms are null also for another kind.
  virtual cControl* Control(int32_t id) = 0;
  cButton* Button(int32_t id) { return dynamic_cast<cButton*>(Control(id)); }
  cComboBox* ComboBox(int32_t id) { return dynamic_cast<cComboBox*>(Control(id)); }
  cReportList* ReportList(int32_t id) { return dynamic_cast<cReportList*>(Control(id)); }
  cTabControl* TabControl(int32_t id) { return dynamic_cast<cTabControl*>(Control(id)); }
  cProgressBar* ProgressBar(int32_t id) { return dynamic_cast<cProgressBar*>(Control(id)); }

  // Not owned; null for none. Set it before the window is shown.
  virtual void SetEvents(cWindowEvents* events) = 0;

  virtual void SetTitle(const char* title) = 0;
  virtual swString Title() const = 0;
  // The window's own picture in the title bar and task bar.
  virtual void SetIcon(const cBitmap& icon) = 0;
  // Appends an entry to the window's system menu (a separator first); choosing it calls
  // OnSystemCommand with the command.
  virtual void AppendSystemMenuItem(int32_t command, const char* text) = 0;

  // A child window's rectangle is in its host's client coordinates, a top-level window's
  // in screen coordinates. The client rectangle always starts at 0, 0.
  virtual cRect WindowRect() const = 0;
  virtual cRect ClientRect() const = 0;
  virtual void MoveWindow(const cRect& rect, bool repaint) = 0;
  // The user cannot make the window smaller than this (0 for no limit).
  virtual void SetMinimumSize(int32_t width, int32_t height) = 0;
  virtual cRect DialogUnitsToPixels(const cRect& dialog_units) const = 0;

  virtual void Show(bool show) = 0;
  virtual bool IsVisible() const = 0;
  // Restores a minimised window and brings it to the front.
  virtual void Activate() = 0;
  virtual void Repaint() = 0;
  // Keeps a top-level window above the other windows, or lets it go; it neither moves nor
  // changes size. Child windows ignore it.
  virtual void SetAlwaysOnTop(bool on) = 0;
  virtual bool IsAlwaysOnTop() const = 0;

  // Runs the window as a modal dialog until EndDialog; returns the result given there.
  [[nodiscard]] virtual int32_t RunModal() = 0;
  // Ends a modal run with the result; a modeless window is hidden.
  virtual void EndDialog(int32_t result) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_WINDOW_H_
