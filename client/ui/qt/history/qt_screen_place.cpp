#include "client/ui/qt/history/qt_screen_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace hv::history {

namespace {

cRect RectOf(const QRect& rect) {
  return cRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

ScreenPlace QtScreenPlace() {
  ScreenPlace place;
  // The window that has the focus asked for the history; from the tray menu none may, and
  // then the program's first shown window (its main window) stands in.
  QWindow* owner = QGuiApplication::focusWindow();
  if (owner == nullptr) {
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
      if (window->isVisible() && window->type() == Qt::Window) {
        owner = window;
        break;
      }
    }
  }
  QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return place;
  place.area = RectOf(screen->availableGeometry());
  if (owner != nullptr) place.owner = RectOf(owner->frameGeometry());
  return place;
}

}  // namespace hv::history
