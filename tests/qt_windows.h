// What the tests on the real Qt widgets ask of the desktop as a whole.
#ifndef HV_TESTS_QT_WINDOWS_H_
#define HV_TESTS_QT_WINDOWS_H_

#include <QApplication>
#include <QWidget>

namespace hv {

namespace test {

// The top-level windows shown now: the program's own, and any it left behind.
inline int VisibleTopLevelWindows() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible()) ++count;
  }
  return count;
}

}  // namespace test

}  // namespace hv

#endif  // HV_TESTS_QT_WINDOWS_H_
