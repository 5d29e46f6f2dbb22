// cHeadlessWindow: an in-memory window made from a layout, and the handle a test drives it
// by: click, type, choose, right-click, resize, press Escape or F1. Geometry is exact: a
// dialog unit is 2 pixels each way (a font of 8 x 16 pixels).
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_WINDOW_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_WINDOW_H_

#include <map>
#include <memory>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/ui/dialog_layout.h"
#include "client/ui/headless/headless_control.h"
#include "client/ui/window.h"

namespace hv {

class cHeadlessToolkit;

class cHeadlessWindow : public cWindow, public cHeadlessControlHost {
 public:
  static constexpr int32_t kPixelsPerDialogUnit = 2;

  // Null when the layout repeats a control id above 0 (ids 0 and below are labels nobody
  // addresses, and may repeat).
  static std::unique_ptr<cHeadlessWindow> Create(cHeadlessToolkit& toolkit,
                                                 const cDialogLayout& layout, bool top_level);
  ~cHeadlessWindow() override;

  // cWindow
  cControl* Control(int32_t id) override;
  void SetEvents(cWindowEvents* events) override { events_ = events; }
  void SetTitle(const char* title) override { title_ = title; }
  swString Title() const override { return title_; }
  void SetIcon(const cBitmap& icon) override { icon_ = icon; }
  void AppendSystemMenuItem(int32_t command, const char* text) override;
  cRect WindowRect() const override { return rect_; }
  cRect ClientRect() const override { return cRect{0, 0, rect_.Width(), rect_.Height()}; }
  void MoveWindow(const cRect& rect, bool repaint) override;
  void SetMinimumSize(int32_t width, int32_t height) override;
  cRect DialogUnitsToPixels(const cRect& dialog_units) const override;
  void Show(bool show) override { visible_ = show; }
  bool IsVisible() const override { return visible_; }
  void Activate() override;
  void Repaint() override {}
  void SetAlwaysOnTop(bool on) override { always_on_top_ = top_level_ && on; }
  bool IsAlwaysOnTop() const override { return always_on_top_; }
  [[nodiscard]] int32_t RunModal() override;
  void EndDialog(int32_t result) override;

  // cHeadlessControlHost
  void SetFocusedId(int32_t id) override { focused_id_ = id; }
  int32_t FocusedId() const override { return focused_id_; }

  // What a user does. Each returns false, and does nothing, when the control is missing,
  // hidden or disabled (the user could not have reached it).
  bool Click(int32_t id);  // a check box toggles first
  // A push button held down with the mouse, and let go over it (the click follows).
  bool Press(int32_t id);
  bool Release(int32_t id);
  // Selects exactly these rows of a list (or icon list), as a user's clicks would.
  bool SelectRows(int32_t id, const std::vector<int32_t>& rows);
  // A double click on a row: it becomes the one selected row, then the double click.
  bool DoubleClickRow(int32_t id, int32_t row);
  bool Type(int32_t id, const char* text);  // replaces the text of an edit or combo box
  bool Choose(int32_t id, int32_t index);   // an entry of a combo box, a tab of a tab control
  bool RightClick(int32_t id, cPoint screen_point);
  void PressEscape();  // a click of Cancel (id 2)
  void PressHelp();
  // The user drags the frame to this size (kept at least the minimum size).
  void ResizeTo(int32_t width, int32_t height);

  // What a test reads back.
  int32_t Result() const { return result_; }
  bool IsModalRunning() const { return modal_; }
  const cBitmap& Icon() const { return icon_; }
  struct cSystemMenuItem {
    int32_t command;
    swString text;
  };
  const std::vector<cSystemMenuItem>& SystemMenuItems() const { return system_menu_; }
  int32_t ResourceId() const { return resource_id_; }
  bool IsTopLevel() const { return top_level_; }

 private:
  cHeadlessWindow(cHeadlessToolkit& toolkit, const cDialogLayout& layout, bool top_level);
  void Notify(int32_t id, eCommandEvent event);

  cHeadlessToolkit& toolkit_;
  const int32_t resource_id_;
  const bool top_level_;
  swString title_;
  cBitmap icon_;
  cRect rect_;
  int32_t min_width_ = 0;
  int32_t min_height_ = 0;
  bool visible_ = false;
  bool always_on_top_ = false;
  bool modal_ = false;
  int32_t result_ = 0;
  int32_t focused_id_ = 0;
  cWindowEvents* events_ = nullptr;
  std::vector<std::unique_ptr<cControl>> controls_;
  std::map<int32_t, cControl*> by_id_;
  std::vector<cSystemMenuItem> system_menu_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_WINDOW_H_
