// For tests that hold both realisations of the toolkit to the same behaviour: a rig per
// realisation that makes a window of controls and does to them what a user does (clicks,
// keys), so one typed test suite runs against the in-memory toolkit and the real Qt widgets.
#ifndef HV_CLIENT_UI_QT_TESTING_BOTH_TOOLKITS_H_
#define HV_CLIENT_UI_QT_TESTING_BOTH_TOOLKITS_H_

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <memory>

#include "client/ui/headless/headless_report_list.h"
#include "client/ui/headless/headless_tab_control.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/qt/qt_report_list.h"
#include "client/ui/qt/qt_tab_control.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/qt_window.h"
#include "client/ui/qt/testing/check_box_centre.h"

namespace hv {

// A window of one control per kind the suites test.
enum : int32_t {
  kRigList = 1012,
  kRigSortedCombo = 1367,
  kRigCombo = 1388,
  kRigTabs = 1001,
};

inline cDialogLayout RigLayout() {
  cDialogLayout layout{.title = "Switches", .width = 300, .height = 300};
  layout.controls = {
      {eControlKind::kReportList, kRigList, "", 5, 5, 290, 150, 0},
      {eControlKind::kComboBox, kRigSortedCombo, "", 5, 160, 100, 60, kComboSorted},
      {eControlKind::kComboBox, kRigCombo, "", 110, 160, 100, 60, 0},
      {eControlKind::kTabControl, kRigTabs, "", 5, 190, 250, 100, 0},
  };
  return layout;
}

// The in-memory toolkit: exact pixels, and the user's actions are the list's own test hooks.
class cHeadlessRig {
 public:
  static constexpr const char* kName = "in-memory";

  cHeadlessRig() : window_(toolkit_.CreateTopLevelWindow(RigLayout(), nullptr)) {}
  cToolkit& Toolkit() { return toolkit_; }
  cWindow& Window() { return *window_; }
  cReportList& List() { return *window_->ReportList(kRigList); }

  // Points in the list's own coordinates, as HitTest and the watcher's mouse positions use.
  cPoint CellCentre(int32_t row, int32_t column) {
    const auto& list = Headless();
    cListColumn shown;
    (void)list.GetColumn(column, &shown);
    return cPoint{list.ColumnLeft(column) + shown.width / 2,
                  list.RowTop(row) + cHeadlessReportList::kRowHeight / 2};
  }
  cPoint CheckBoxCentre(int32_t row) {
    const auto& list = Headless();
    return cPoint{list.ColumnLeft(0) + cHeadlessReportList::kCheckBoxInset +
                      cHeadlessReportList::kCheckBoxSize / 2,
                  list.RowTop(row) + cHeadlessReportList::kRowHeight / 2};
  }
  cPoint BelowTheRows() { return cPoint{5, Headless().RowTop(List().RowCount()) + 50}; }
  void Click(cPoint at) { Headless().ClickAt(at); }
  void ClickHeader(int32_t column) { Headless().ClickHeader(column); }
  void ToggleFromKeyboard(int32_t row) { Headless().ToggleFromKeyboard(row); }
  void Settle() {}
  // The middle of a tab, in the tab control's own coordinates.
  cPoint TabCentre(int32_t index) {
    return cPoint{index * cHeadlessTabControl::kTabWidth + cHeadlessTabControl::kTabWidth / 2,
                  cHeadlessTabControl::kTabHeight / 2};
  }

 private:
  cHeadlessReportList& Headless() { return static_cast<cHeadlessReportList&>(List()); }

  cHeadlessToolkit toolkit_;
  std::unique_ptr<cWindow> window_;
};

// The real widgets, shown on the offscreen platform; the user's actions are real mouse and
// key events.
class cQtRig {
 public:
  static constexpr const char* kName = "Qt";

  cQtRig() : window_(toolkit_.CreateTopLevelWindow(RigLayout(), nullptr)) {
    window_->Show(true);
    (void)QTest::qWaitForWindowExposed(static_cast<cQtWindow*>(window_.get())->Dialog());
  }
  cToolkit& Toolkit() { return toolkit_; }
  cWindow& Window() { return *window_; }
  cReportList& List() { return *window_->ReportList(kRigList); }

  cPoint CellCentre(int32_t row, int32_t column) {
    const QPoint at = View()->visualRect(View()->model()->index(row, column)).center();
    return cPoint{at.x(), at.y()};
  }
  // The centre of a row's box, as the view's style draws it.
  cPoint CheckBoxCentre(int32_t row) {
    const QPoint at = hv::CheckBoxCentre(View(), row);
    return cPoint{at.x(), at.y()};
  }
  cPoint BelowTheRows() { return cPoint{5, View()->viewport()->height() + 500}; }
  void Click(cPoint at) {
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(at.x, at.y));
  }
  void ClickHeader(int32_t column) {
    QHeaderView* header = View()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
  }
  void ToggleFromKeyboard(int32_t row) {
    QTableView* view = View();
    view->setFocus();
    view->setCurrentIndex(view->model()->index(row, 0));
    QTest::keyClick(view, Qt::Key_Space);
  }
  // The event loop comes round: what the widgets put off until then is done.
  void Settle() { QApplication::processEvents(); }
  cPoint TabCentre(int32_t index) {
    auto* tabs = static_cast<cQtTabControl*>(window_->TabControl(kRigTabs));
    const QPoint at = tabs->Bar()->mapTo(tabs->Widget(), tabs->Bar()->tabRect(index).center());
    return cPoint{at.x(), at.y()};
  }

 private:
  cQtReportListView* View() { return static_cast<cQtReportList&>(List()).View(); }

  cQtToolkit toolkit_;
  std::unique_ptr<cWindow> window_;
};

// gtest names the typed cases by the rig.
class cRigNames {
 public:
  template <class Rig>
  static std::string GetName(int) {
    return Rig::kName[0] == 'Q' ? "Qt" : "InMemory";
  }
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_TESTING_BOTH_TOOLKITS_H_
