#include "client/ui/qt/qt_toolkit.h"

#include <QApplication>
#include <QCursor>

#include "client/ui/qt/qt_control.h"
#include "client/ui/qt/qt_image_list.h"
#include "client/ui/qt/qt_popup_menu.h"
#include "client/ui/qt/qt_window.h"

namespace hv {

cQtToolkit::~cQtToolkit() {
  while (wait_cursor_depth_ > 0) EndWaitCursor();
}

std::unique_ptr<cWindow> cQtToolkit::CreateTopLevelWindow(const cDialogLayout& layout,
                                                          cWindow* owner) {
  auto* owner_window = dynamic_cast<cQtWindow*>(owner);
  return cQtWindow::Create(*this, layout,
                           owner_window != nullptr ? owner_window->Dialog() : nullptr, true);
}

std::unique_ptr<cWindow> cQtToolkit::CreateChildWindow(const cDialogLayout& layout, cWindow& parent,
                                                       int32_t host_control_id) {
  auto* parent_window = dynamic_cast<cQtWindow*>(&parent);
  if (parent_window == nullptr || parent_window->Dialog() == nullptr) return nullptr;
  QWidget* host = parent_window->Dialog();
  if (host_control_id != 0) {
    auto* holder = dynamic_cast<cQtWidgetHolder*>(parent.Control(host_control_id));
    if (holder == nullptr) return nullptr;
    host = holder->Widget();
  }
  std::unique_ptr<cQtWindow> window = cQtWindow::Create(*this, layout, host, false);
  if (window != nullptr) window->Show(false);
  return window;
}

std::unique_ptr<cImageList> cQtToolkit::CreateImageList(int32_t cell_width, int32_t cell_height,
                                                        int32_t /*colour_depth*/) {
  if (cell_width <= 0 || cell_height <= 0) return nullptr;
  return std::make_unique<cQtImageList>(cell_width, cell_height);
}

std::unique_ptr<cPopupMenu> cQtToolkit::CreatePopupMenu() {
  return std::make_unique<cQtPopupMenu>(*this);
}

void cQtToolkit::Beep(eBeep /*kind*/) { QApplication::beep(); }

void cQtToolkit::BeginWaitCursor() {
  if (wait_cursor_depth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void cQtToolkit::EndWaitCursor() {
  if (wait_cursor_depth_ == 0) return;
  if (--wait_cursor_depth_ == 0) QApplication::restoreOverrideCursor();
}

cPoint cQtToolkit::CursorPosition() const {
  const QPoint at = QCursor::pos();
  return cPoint{at.x(), at.y()};
}

bool cQtToolkit::TakeMenuAnswer(int32_t* command) {
  if (menu_answers_.empty()) return false;
  *command = menu_answers_.front();
  menu_answers_.pop_front();
  return true;
}

}  // namespace hv
