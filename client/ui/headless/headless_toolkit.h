// cHeadlessToolkit: the in-memory toolkit of the tests. It makes cHeadlessWindows and lets a
// test play the user wherever the real toolkit would wait for one: modal dialogs run a
// queued script, popup menus and message boxes take queued answers. Beeps and the wait
// cursor are counted.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_TOOLKIT_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_TOOLKIT_H_

#include <deque>
#include <functional>
#include <vector>

#include "client/ui/headless/headless_file_dialog.h"
#include "client/ui/headless/headless_message_box.h"
#include "client/ui/headless/headless_popup_menu.h"
#include "client/ui/modal_script_queue.h"
#include "client/ui/toolkit.h"

namespace hv {

class cHeadlessWindow;

class cHeadlessToolkit : public cToolkit {
 public:
  std::unique_ptr<cWindow> CreateTopLevelWindow(const cDialogLayout& layout,
                                                cWindow* owner) override;
  std::unique_ptr<cWindow> CreateChildWindow(const cDialogLayout& layout, cWindow& parent,
                                             int32_t host_control_id) override;
  std::unique_ptr<cImageList> CreateImageList(int32_t cell_width, int32_t cell_height,
                                              int32_t colour_depth) override;
  std::unique_ptr<cPopupMenu> CreatePopupMenu() override;
  cMessageBox& MessageBox() override { return message_box_; }
  cFileDialog& FileDialog() override { return file_dialog_; }
  void Beep(eBeep kind) override { beeps_.push_back(kind); }
  void BeginWaitCursor() override { ++wait_cursor_depth_; }
  void EndWaitCursor() override {
    if (wait_cursor_depth_ > 0) --wait_cursor_depth_;
  }
  cPoint CursorPosition() const override { return cursor_; }

  // The next modal run calls this script with its window (the script clicks, types and
  // ends the dialog); runs without a script end at once with Cancel.
  void QueueModalScript(std::function<void(cHeadlessWindow&)> script) {
    modal_scripts_.Queue(std::move(script));
  }
  std::function<void(cHeadlessWindow&)> TakeModalScript() { return modal_scripts_.Take(); }
  // The next popup menu that opens is answered with this command.
  void QueueMenuAnswer(int32_t command) { menu_answers_.push_back(command); }
  int32_t TakeMenuAnswer(const cHeadlessPopupMenu& menu, cPoint screen_point);

  cHeadlessMessageBox& HeadlessMessageBox() { return message_box_; }
  cHeadlessFileDialog& HeadlessFileDialog() { return file_dialog_; }
  const std::vector<eBeep>& Beeps() const { return beeps_; }
  int32_t WaitCursorDepth() const { return wait_cursor_depth_; }
  void SetCursorPosition(cPoint point) { cursor_ = point; }
  // Where the last popup menu opened, and how many items it had.
  cPoint LastMenuPoint() const { return last_menu_point_; }
  int32_t MenusTracked() const { return menus_tracked_; }
  // The items and the default item of the last menu that opened.
  const std::vector<cHeadlessPopupMenu::cItem>& LastMenuItems() const { return last_menu_items_; }
  int32_t LastMenuDefault() const { return last_menu_default_; }

 private:
  cHeadlessMessageBox message_box_;
  cHeadlessFileDialog file_dialog_;
  tModalScriptQueue<cHeadlessWindow> modal_scripts_;
  std::deque<int32_t> menu_answers_;
  std::vector<eBeep> beeps_;
  int32_t wait_cursor_depth_ = 0;
  cPoint cursor_;
  cPoint last_menu_point_;
  int32_t menus_tracked_ = 0;
  std::vector<cHeadlessPopupMenu::cItem> last_menu_items_;
  int32_t last_menu_default_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_TOOLKIT_H_
