// cQtToolkit: the toolkit of the real program, on Qt 6 Widgets. A QApplication must exist
// before it is made (the program's main, or the test). Modal dialogs and popup menus take
// queued scripts and answers, so tests of the real widgets never wait for a user.
#ifndef HV_CLIENT_UI_QT_QT_TOOLKIT_H_
#define HV_CLIENT_UI_QT_QT_TOOLKIT_H_

#include <deque>
#include <functional>

#include "client/ui/modal_script_queue.h"
#include "client/ui/qt/qt_file_dialog.h"
#include "client/ui/qt/qt_message_box.h"
#include "client/ui/toolkit.h"

namespace hv {

class cQtToolkit : public cToolkit {
 public:
  cQtToolkit() = default;
  ~cQtToolkit() override;

  std::unique_ptr<cWindow> CreateTopLevelWindow(const cDialogLayout& layout,
                                                cWindow* owner) override;
  std::unique_ptr<cWindow> CreateChildWindow(const cDialogLayout& layout, cWindow& parent,
                                             int32_t host_control_id) override;
  std::unique_ptr<cImageList> CreateImageList(int32_t cell_width, int32_t cell_height,
                                              int32_t colour_depth) override;
  std::unique_ptr<cPopupMenu> CreatePopupMenu() override;
  cMessageBox& MessageBox() override { return message_box_; }
  cFileDialog& FileDialog() override { return file_dialog_; }
  void Beep(eBeep kind) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  cPoint CursorPosition() const override;

  // The next modal run calls the script from inside its modal loop.
  void QueueModalScript(std::function<void(cWindow&)> script) {
    modal_scripts_.Queue(std::move(script));
  }
  std::function<void(cWindow&)> TakeModalScript() { return modal_scripts_.Take(); }
  // The next popup menu answers with this command instead of opening.
  void QueueMenuAnswer(int32_t command) { menu_answers_.push_back(command); }
  bool TakeMenuAnswer(int32_t* command);
  cQtMessageBox& QtMessageBox() { return message_box_; }
  cQtFileDialog& QtFileDialog() { return file_dialog_; }

 private:
  cQtMessageBox message_box_;
  cQtFileDialog file_dialog_;
  tModalScriptQueue<cWindow> modal_scripts_;
  std::deque<int32_t> menu_answers_;
  int32_t wait_cursor_depth_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_TOOLKIT_H_
