#include "client/ui/qt/qt_report_list.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <memory>
#include <vector>

#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/qt_window.h"
#include "client/views/list_ctrl_update.h"
#include "client/views/list_ctrl_w_chk_box.h"

namespace {

constexpr int32_t kListId = 1012;

class cRecordingHandler : public CListCtrlUpdate {
 public:
  explicit cRecordingHandler(cReportList& list) : list_(list) {}
  int32_t OnListCheck(int32_t row, int32_t context) override {
    rows.push_back(row);
    contexts.push_back(context);
    checked_when_called.push_back(list_.GetCheck(row));
    return 0;
  }
  std::vector<int32_t> rows;
  std::vector<int32_t> contexts;
  std::vector<bool> checked_when_called;

 private:
  cReportList& list_;
};

class QtReportListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cDialogLayout layout;
    layout.title = "Switches";
    layout.width = 300;
    layout.height = 200;
    layout.controls.push_back({eControlKind::kReportList, kListId, "", 5, 5, 290, 190, 0});
    window_ = toolkit_.CreateTopLevelWindow(layout, nullptr);
    ASSERT_NE(window_, nullptr);
    list_ = dynamic_cast<cQtReportList*>(window_->ReportList(kListId));
    ASSERT_NE(list_, nullptr);
    list_->SetListStyles(kListCheckBoxes | kListFullRowSelect | kListHeaderDragDrop |
                         kListShowSelectionAlways);
    list_->InsertColumn(0, "Status", 60);
    list_->InsertColumn(1, "Status Data", 75);
    list_->InsertColumn(2, "Switch Name", 150);
    for (int32_t i = 0; i < 3; ++i) {
      list_->InsertRow(i, "Off", 0, static_cast<cItemValue>(100 + i));
      list_->SetCellText(i, 2, i == 1 ? "Porch" : "Hall");
    }
    list_->SetCheck(1, true);
    window_->Show(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(static_cast<cQtWindow*>(window_.get())->Dialog()));
  }

  // The centre of the check box of a row, as the view's style draws it.
  QPoint CheckBoxCentre(int32_t row) const {
    cQtReportListView* view = list_->View();
    const QModelIndex index = view->model()->index(row, 0);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = index.data().toString();
    return view->style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view)
        .center();
  }

  cQtToolkit toolkit_;
  std::unique_ptr<cWindow> window_;
  cQtReportList* list_ = nullptr;
};

TEST_F(QtReportListTest, RealClickOnTheCheckBoxReachesOnListCheckWithTheStateBeforeTheClick) {
  cRecordingHandler handler(*list_);
  CListCtrlWChkBox check_box;
  check_box.Attach(list_);
  EXPECT_EQ(check_box.SetUpdateHandler(kListId, &handler), 0);

  const QPoint on_box = CheckBoxCentre(1);
  ASSERT_GT(on_box.x(), 1);
  QTest::mouseClick(list_->View()->viewport(), Qt::LeftButton, Qt::NoModifier, on_box);
  ASSERT_EQ(handler.rows.size(), 1u);
  EXPECT_EQ(handler.rows[0], 1);
  EXPECT_EQ(handler.contexts[0], kListId);
  EXPECT_TRUE(handler.checked_when_called[0]);
  EXPECT_FALSE(list_->GetCheck(1));  // Qt toggled it after the handler ran
  EXPECT_EQ(check_box.LastX(), on_box.x());

  QTest::mouseClick(list_->View()->viewport(), Qt::LeftButton, Qt::NoModifier, CheckBoxCentre(0));
  ASSERT_EQ(handler.rows.size(), 2u);
  EXPECT_FALSE(handler.checked_when_called[1]);
  EXPECT_TRUE(list_->GetCheck(0));
}

TEST_F(QtReportListTest, RealClicksOutsideColumnZeroDoNotReachTheHandler) {
  cRecordingHandler handler(*list_);
  CListCtrlWChkBox check_box;
  check_box.Attach(list_);
  EXPECT_EQ(check_box.SetUpdateHandler(kListId, &handler), 0);
  QWidget* viewport = list_->View()->viewport();
  const int y = CheckBoxCentre(2).y();
  QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(60, y));   // neighbour
  QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(100, y));
  QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(1, y));    // border
  EXPECT_TRUE(handler.rows.empty());
  EXPECT_FALSE(list_->GetCheck(2));
  // The row was still selected by the click, as a full-row list does.
  EXPECT_EQ(list_->NextSelected(-1), 2);
}

TEST_F(QtReportListTest, ColumnsReportWidthTextAndDisplayOrder) {
  list_->SetColumnOrder(0, 2);
  cListColumn column;
  ASSERT_TRUE(list_->GetColumn(0, &column));
  EXPECT_STREQ(column.text.CStr(), "Status");
  EXPECT_EQ(column.width, 60);
  EXPECT_EQ(column.order, 2);
  ASSERT_TRUE(list_->GetColumn(1, &column));
  EXPECT_EQ(column.order, 0);
  EXPECT_TRUE(list_->View()->header()->sectionsMovable());
  EXPECT_EQ(list_->View()->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
  int32_t left = 0;
  int32_t right = 0;
  ASSERT_TRUE(CListCtrlWChkBox::CheckBoxColumnEdges(*list_, &left, &right));
  EXPECT_EQ(left, 225);
  EXPECT_EQ(right, 285 - 55);
}

TEST_F(QtReportListTest, SortKeepsSelectionAndChecksWithTheirRows) {
  list_->SetSelected(1, true);
  list_->Sort([](cItemValue a, cItemValue b) { return a > b ? -1 : (a < b ? 1 : 0); });
  EXPECT_EQ(list_->RowValue(0), 102u);
  EXPECT_EQ(list_->RowValue(1), 101u);
  EXPECT_EQ(list_->RowValue(2), 100u);
  EXPECT_TRUE(list_->GetCheck(1));
  EXPECT_STREQ(list_->CellText(1, 2).CStr(), "Porch");
  EXPECT_EQ(list_->NextSelected(-1), 1);
  EXPECT_EQ(list_->NextSelected(1), -1);
}

TEST_F(QtReportListTest, HitTestAndDeletion) {
  const QPoint in_row_two = CheckBoxCentre(2);
  EXPECT_EQ(list_->HitTest(cPoint{in_row_two.x(), in_row_two.y()}), 2);
  EXPECT_EQ(list_->HitTest(cPoint{5, 5000}), -1);
  EXPECT_TRUE(list_->DeleteRow(0));
  EXPECT_FALSE(list_->DeleteRow(7));
  EXPECT_EQ(list_->RowCount(), 2);
  EXPECT_EQ(list_->RowValue(0), 101u);
  list_->DeleteAllRows();
  EXPECT_EQ(list_->RowCount(), 0);
  EXPECT_EQ(list_->CellText(0, 0).GetLength(), 0u);
}

// Records what the list tells its watcher beyond the mouse.
class cHeaderAndSelection : public cReportListEvents {
 public:
  void OnMouseMove(cPoint) override {}
  void OnClickReleased() override {}
  void OnHeaderClicked(int32_t column) override { headers.push_back(column); }
  void OnSelectionChanged() override { ++selection_changes; }
  std::vector<int32_t> headers;
  int selection_changes = 0;
};

TEST_F(QtReportListTest, HeaderClicksAndTheUsersSelectionReachTheWatcher) {
  cHeaderAndSelection events;
  list_->SetEvents(&events);
  QHeaderView* header = list_->View()->header();
  list_->SetColumnOrder(2, 0);  // a moved column still reports its own index
  const int x = header->sectionViewportPosition(2) + 10;
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));
  EXPECT_EQ(events.headers, std::vector<int32_t>{2});

  list_->SetSelected(0, true);  // the program's own selection is no news
  EXPECT_EQ(events.selection_changes, 0);
  const QPoint in_row_two = CheckBoxCentre(2);
  QTest::mouseClick(list_->View()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(header->sectionViewportPosition(1) + 10, in_row_two.y()));
  EXPECT_GE(events.selection_changes, 1);
  EXPECT_EQ(list_->NextSelected(-1), 2);
  list_->SetEvents(nullptr);
}

TEST_F(QtReportListTest, RowsInsertedAtTheTopKeepTheSelectionOnItsRow) {
  list_->SetListStyles(kListFullRowSelect);
  list_->SetSelected(1, true);
  list_->SetSelected(2, true);
  for (int32_t i = 0; i < 1000; ++i) list_->InsertRow(0, "new", 0, static_cast<cItemValue>(i));
  EXPECT_EQ(list_->RowCount(), 1003);
  EXPECT_EQ(list_->NextSelected(-1), 1001);
  EXPECT_EQ(list_->NextSelected(1001), 1002);
  EXPECT_EQ(list_->NextSelected(1002), -1);
  EXPECT_EQ(list_->RowValue(1001), 101u);
  EXPECT_TRUE(list_->DeleteRow(1002));
  EXPECT_EQ(list_->NextSelected(1001), -1);
}

}  // namespace
