// cToolkit: the factory and the few process-wide facilities of the windowing toolkit. The
// program makes one cQtToolkit; tests make a cHeadlessToolkit. Everything it makes belongs
// to the caller, and must be destroyed before the toolkit.
#ifndef HV_CLIENT_UI_TOOLKIT_H_
#define HV_CLIENT_UI_TOOLKIT_H_

#include <cstdint>
#include <memory>

#include "client/ui/dialog_layout.h"
#include "client/ui/file_dialog.h"
#include "client/ui/image_list.h"
#include "client/ui/menu.h"
#include "client/ui/message_box.h"
#include "client/ui/window.h"

namespace hv {

// Beeps, as the system sounds name them.
enum class eBeep { kDefault, kInformation, kWarning, kError };

class cToolkit {
 public:
  virtual ~cToolkit() = default;

  // A top-level window (dialog or main window), hidden until shown; owner may be null.
  // Null when the layout cannot be made (a control of an unknown kind, a repeated id).
  virtual std::unique_ptr<cWindow> CreateTopLevelWindow(const cDialogLayout& layout,
                                                        cWindow* owner) = 0;
  // A borderless child window inside `parent`: in its client area when host_control_id is
  // 0, else inside that control of it (a tab control's pages). Hidden until shown.
  virtual std::unique_ptr<cWindow> CreateChildWindow(const cDialogLayout& layout, cWindow& parent,
                                                     int32_t host_control_id) = 0;

  // Cells of cell_width x cell_height pixels; colour_depth is kept for the record (every
  // realisation stores full colour). Null for a non-positive size.
  virtual std::unique_ptr<cImageList> CreateImageList(int32_t cell_width, int32_t cell_height,
                                                      int32_t colour_depth) = 0;
  virtual std::unique_ptr<cPopupMenu> CreatePopupMenu() = 0;

  // The message box; its owner argument is a cWindow* of this toolkit, or null.
  virtual cMessageBox& MessageBox() = 0;
  // The save dialog; its owner argument is a cWindow* of this toolkit, or null.
  virtual cFileDialog& FileDialog() = 0;

  virtual void Beep(eBeep kind) = 0;
  // The wait cursor is shown while at least one Begin is not yet matched by an End.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  // Where the mouse is, in screen coordinates.
  virtual cPoint CursorPosition() const = 0;
};

// Shows the wait cursor for the lifetime of the object.
class cWaitCursor {
 public:
  explicit cWaitCursor(cToolkit& toolkit) : toolkit_(toolkit) { toolkit_.BeginWaitCursor(); }
  ~cWaitCursor() { toolkit_.EndWaitCursor(); }
  cWaitCursor(const cWaitCursor&) = delete;
  cWaitCursor& operator=(const cWaitCursor&) = delete;

 private:
  cToolkit& toolkit_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_TOOLKIT_H_
