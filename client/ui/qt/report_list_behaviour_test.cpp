// What every report list does, held to the same test in the in-memory toolkit and on the real
// Qt widgets: columns, rows and their data, sorting, hit testing, and what the user's clicks
// and keys tell the list's watcher.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "client/ui/qt/testing/both_toolkits.h"
#include "client/views/devices/list_ctrl_update.h"
#include "client/views/devices/list_ctrl_w_chk_box.h"

namespace hv {

namespace {

// Watches the list's boxes through a check-box wrapper, as a view does, and records what the
// wrapper tells it; detaches the wrapper when it goes.
class cRecordingHandler : public CListCtrlUpdate {
 public:
  explicit cRecordingHandler(cReportList& list) : list_(list) {
    check_box.Attach(&list);
    check_box.SetUpdateHandler(kRigList, this);
  }
  ~cRecordingHandler() override { check_box.Attach(nullptr); }
  Status OnListCheck(int32_t row, int32_t context) override {
    rows.push_back(row);
    contexts.push_back(context);
    checked_when_called.push_back(list_.GetCheck(row));
    return Status::Ok();
  }
  std::vector<int32_t> rows;
  std::vector<int32_t> contexts;
  std::vector<bool> checked_when_called;
  CListCtrlWChkBox check_box;

 private:
  cReportList& list_;
};

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

// The owner of a list's texts, as the activity log is: a row's value picks its texts, and the
// name is built anew at every call, into one buffer.
class cNumberedTexts : public cReportRowTexts {
 public:
  std::string_view Text(cItemValue value, int32_t column) const override {
    if (column == 0) return "Off";
    if (column != 2) return "";
    built_ = "Switch " + std::to_string(value);
    return built_;
  }

 private:
  mutable std::string built_;
};

template <class Rig>
class ReportListTest : public ::testing::Test {
 protected:
  // A switches list: three rows, the middle one checked.
  void SetUp() override {
    list_.SetListStyles(kListCheckBoxes | kListFullRowSelect | kListHeaderDragDrop |
                        kListShowSelectionAlways);
    list_.InsertColumn(0, "Status", 60);
    list_.InsertColumn(1, "Status Data", 75);
    list_.InsertColumn(2, "Switch Name", 150);
    for (int32_t i = 0; i < 3; ++i) {
      list_.InsertRow(i, "Off", 0, cItemValue{100} + static_cast<cItemValue>(i));
      list_.SetCellText(i, 2, i == 1 ? "Porch" : "Hall");
    }
    list_.SetCheck(1, true);
  }

  std::vector<std::string> Column(int32_t column) const {
    std::vector<std::string> texts;
    for (int32_t row = 0; row < list_.RowCount(); ++row) {
      texts.emplace_back(list_.CellText(row, column).CStr());
    }
    return texts;
  }

  std::vector<cItemValue> Values() const {
    std::vector<cItemValue> values;
    values.reserve(static_cast<size_t>(list_.RowCount()));
    for (int32_t row = 0; row < list_.RowCount(); ++row) values.push_back(list_.RowValue(row));
    return values;
  }

  Rig rig_;
  cReportList& list_ = rig_.List();
};

using Realisations = ::testing::Types<cHeadlessRig, cQtRig>;
TYPED_TEST_SUITE(ReportListTest, Realisations, cRigNames);

TYPED_TEST(ReportListTest, ColumnsInsertAtTheirDisplayPositionAndMove) {
  cReportList& list = this->list_;
  EXPECT_EQ(list.InsertColumn(1, "Date", 75), 1);   // between two
  EXPECT_EQ(list.InsertColumn(99, "Last", 20), 4);  // clamped to the end
  cListColumn column;
  ASSERT_TRUE(list.GetColumn(2, &column));
  EXPECT_STREQ(column.text.CStr(), "Status Data");
  EXPECT_EQ(column.width, 75);
  EXPECT_EQ(column.order, 2);
  // The rows made before have an empty cell in the new column, their texts beside it.
  EXPECT_STREQ(list.CellText(1, 0).CStr(), "Off");
  EXPECT_EQ(list.CellText(1, 1).GetLength(), 0u);
  EXPECT_STREQ(list.CellText(1, 3).CStr(), "Porch");

  EXPECT_TRUE(list.SetColumnOrder(0, 3));
  ASSERT_TRUE(list.GetColumn(0, &column));
  EXPECT_EQ(column.order, 3);
  ASSERT_TRUE(list.GetColumn(1, &column));
  EXPECT_EQ(column.order, 0);
  EXPECT_TRUE(list.SetColumnWidth(1, 40));
  ASSERT_TRUE(list.GetColumn(1, &column));
  EXPECT_EQ(column.width, 40);
  EXPECT_FALSE(list.SetColumnOrder(5, 0));
  EXPECT_FALSE(list.SetColumnWidth(5, 10));
  EXPECT_FALSE(list.GetColumn(5, &column));
  EXPECT_FALSE(list.GetColumn(0, nullptr));
}

TYPED_TEST(ReportListTest, TheCheckBoxColumnsEdgesFollowItsDisplayPosition) {
  cReportList& list = this->list_;
  list.SetColumnOrder(0, 2);
  int32_t left = 0;
  int32_t right = 0;
  ASSERT_TRUE(CListCtrlWChkBox::CheckBoxColumnEdges(list, &left, &right));
  EXPECT_EQ(left, 225);
  EXPECT_EQ(right, 285 - 55);  // displayed last: its last 55 pixels do not count
}

TYPED_TEST(ReportListTest, RowsKeepTheirDataAndOutOfRangeIsRefused) {
  cReportList& list = this->list_;
  EXPECT_EQ(list.InsertRow(-5, "first", 4, 9), 0);
  EXPECT_EQ(list.InsertRow(99, "last", 0, 10), 4);
  EXPECT_EQ(list.RowCount(), 5);
  EXPECT_EQ(list.RowImage(0), 4);
  EXPECT_TRUE(list.SetRowImage(0, 7));
  EXPECT_EQ(list.RowImage(0), 7);
  EXPECT_TRUE(list.SetRowValue(0, 77));
  EXPECT_EQ(list.RowValue(0), 77u);
  EXPECT_TRUE(list.GetCheck(2));
  // Rewriting a text, longer and shorter, leaves the row's other texts as they were.
  EXPECT_TRUE(list.SetCellText(2, 1, "a much longer status text than before"));
  EXPECT_TRUE(list.SetCellText(2, 0, ""));
  EXPECT_TRUE(list.SetCellText(2, 1, "On"));
  EXPECT_EQ(list.CellText(2, 0).GetLength(), 0u);
  EXPECT_STREQ(list.CellText(2, 1).CStr(), "On");
  EXPECT_STREQ(list.CellText(2, 2).CStr(), "Porch");
  EXPECT_TRUE(list.SetCellText(2, 2, nullptr));
  EXPECT_EQ(list.CellText(2, 2).GetLength(), 0u);

  EXPECT_FALSE(list.SetCellText(9, 0, "x"));
  EXPECT_FALSE(list.SetCellText(0, 3, "x"));
  EXPECT_EQ(list.CellText(0, 9).GetLength(), 0u);
  EXPECT_EQ(list.CellText(-1, 0).GetLength(), 0u);
  EXPECT_FALSE(list.SetCheck(5, true));
  EXPECT_FALSE(list.GetCheck(5));
  EXPECT_EQ(list.RowValue(5), 0u);
  EXPECT_EQ(list.RowImage(5), -1);
  EXPECT_FALSE(list.SetRowImage(5, 1));
  EXPECT_FALSE(list.SetRowValue(-1, 1));

  EXPECT_TRUE(list.DeleteRow(0));
  EXPECT_FALSE(list.DeleteRow(4));
  EXPECT_EQ(list.RowValue(0), 100u);
  list.DeleteAllRows();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.CellText(0, 0).GetLength(), 0u);
}

TYPED_TEST(ReportListTest, ARowInsertedWithAllItsTextsAtOnce) {
  cReportList& list = this->list_;
  const char* texts[] = {"On", nullptr, "Fan", "beyond the columns"};
  EXPECT_EQ(list.InsertRowTexts(1, texts, 4, 3, 55), 1);
  EXPECT_STREQ(list.CellText(1, 0).CStr(), "On");
  EXPECT_EQ(list.CellText(1, 1).GetLength(), 0u);
  EXPECT_STREQ(list.CellText(1, 2).CStr(), "Fan");
  EXPECT_EQ(list.RowImage(1), 3);
  EXPECT_EQ(list.RowValue(1), 55u);
  EXPECT_FALSE(list.GetCheck(1));
  // Fewer texts than columns: the rest are empty.
  EXPECT_EQ(list.InsertRowTexts(0, texts, 1, 0, 56), 0);
  EXPECT_STREQ(list.CellText(0, 0).CStr(), "On");
  EXPECT_EQ(list.CellText(0, 2).GetLength(), 0u);
  EXPECT_EQ(list.RowCount(), 5);
}

TYPED_TEST(ReportListTest, SortsAreStableAndSelectionAndChecksMoveWithTheirRows) {
  cReportList& list = this->list_;
  list.InsertRow(3, "Off", 0, 101);  // a second row of value 101, after the checked one
  list.SetSelected(1, true);
  list.Sort([](cItemValue a, cItemValue b) { return a > b ? -1 : (a < b ? 1 : 0); });
  EXPECT_EQ(this->Values(), (std::vector<cItemValue>{102, 101, 101, 100}));
  EXPECT_TRUE(list.GetCheck(1));  // the first of the equal rows stays first
  EXPECT_FALSE(list.GetCheck(2));
  EXPECT_STREQ(list.CellText(1, 2).CStr(), "Porch");
  EXPECT_EQ(list.NextSelected(-1), 1);
  EXPECT_EQ(list.NextSelected(1), -1);

  // By keys the owner made for the rows as they were before the sort.
  const std::vector<std::string> keys = {"c", "a", "b", "a"};
  list.SortRows([&keys](int32_t a, int32_t b) {
    return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)];
  });
  EXPECT_EQ(this->Values(), (std::vector<cItemValue>{101, 100, 101, 102}));
  EXPECT_TRUE(list.GetCheck(0));
  EXPECT_EQ(list.NextSelected(-1), 0);
}

TYPED_TEST(ReportListTest, RowsWhoseOwnerKeepsTheTextsShowWhatItGivesForTheirValues) {
  cReportList& list = this->list_;
  cNumberedTexts owner;
  list.DeleteAllRows();
  list.SetRowTexts(&owner);
  const char* ignored[] = {"kept nowhere", "x", "y"};
  EXPECT_EQ(list.InsertRowTexts(0, ignored, 3, 2, 7), 0);
  EXPECT_EQ(list.InsertRow(0, "also ignored", 1, 9), 0);
  EXPECT_EQ(list.InsertRow(2, nullptr, 0, 8), 2);
  EXPECT_EQ(this->Column(2), (std::vector<std::string>{"Switch 9", "Switch 7", "Switch 8"}));
  EXPECT_EQ(this->Column(0), (std::vector<std::string>{"Off", "Off", "Off"}));
  EXPECT_EQ(list.CellText(1, 1).GetLength(), 0u);
  EXPECT_EQ(list.CellText(1, 3).GetLength(), 0u);
  EXPECT_EQ(list.CellText(3, 0).GetLength(), 0u);
  EXPECT_EQ(list.RowImage(1), 2);
  // The owner's texts are the only ones: a row's own cannot be set.
  EXPECT_FALSE(list.SetCellText(1, 2, "Porch"));
  EXPECT_STREQ(list.CellText(1, 2).CStr(), "Switch 7");

  // The texts go with the values wherever the rows go.
  list.SetSelected(0, true);
  list.Sort([](cItemValue a, cItemValue b) { return a < b ? -1 : (a > b ? 1 : 0); });
  EXPECT_EQ(this->Column(2), (std::vector<std::string>{"Switch 7", "Switch 8", "Switch 9"}));
  EXPECT_EQ(list.NextSelected(-1), 2);
  list.SetColumnOrder(2, 0);
  EXPECT_STREQ(list.CellText(0, 2).CStr(), "Switch 7");
  EXPECT_TRUE(list.DeleteRow(2));
  EXPECT_TRUE(list.DeleteRow(0));
  EXPECT_EQ(list.InsertRow(0, nullptr, 0, 10), 0);
  EXPECT_EQ(this->Column(2), (std::vector<std::string>{"Switch 10", "Switch 8"}));

  // Without an owner again, rows keep the texts they are given.
  list.DeleteAllRows();
  list.SetRowTexts(nullptr);
  EXPECT_EQ(list.InsertRowTexts(0, ignored, 3, 0, 7), 0);
  EXPECT_EQ(this->Column(0), (std::vector<std::string>{"kept nowhere"}));
  EXPECT_TRUE(list.SetCellText(0, 2, "Porch"));
  EXPECT_STREQ(list.CellText(0, 2).CStr(), "Porch");
}

TYPED_TEST(ReportListTest, TheSortArrowMarksOneColumnOrNone) {
  cReportList& list = this->list_;
  EXPECT_EQ(list.SortIndicatorColumn(), -1);
  list.SetSortIndicator(2, -1);
  EXPECT_EQ(list.SortIndicatorColumn(), 2);
  EXPECT_EQ(list.SortIndicatorDirection(), -1);
  list.SetSortIndicator(0, 1);
  EXPECT_EQ(list.SortIndicatorColumn(), 0);
  EXPECT_EQ(list.SortIndicatorDirection(), 1);
  EXPECT_STREQ(list.CellText(0, 2).CStr(), "Hall");  // the rows stay where they are
  list.SetSortIndicator(-1, 1);
  EXPECT_EQ(list.SortIndicatorColumn(), -1);
  list.SetSortIndicator(7, 1);
  EXPECT_EQ(list.SortIndicatorColumn(), -1);
}

TYPED_TEST(ReportListTest, TextWidthsGrowWithTheTextAndHeadersLeaveRoomForTheArrow) {
  cReportList& list = this->list_;
  const int32_t date = list.TextWidth("12/28/2008", false);
  EXPECT_GT(date, list.TextWidth("12/28", false));
  EXPECT_GT(list.TextWidth("Date", true), list.TextWidth("Date", false));
  EXPECT_GT(list.TextWidth("", false), 0);  // a cell has its margins
  EXPECT_EQ(list.TextWidth(nullptr, false), list.TextWidth("", false));
}

TYPED_TEST(ReportListTest, RowsInsertedAtTheTopKeepTheSelectionOnItsRow) {
  cReportList& list = this->list_;
  list.SetListStyles(kListFullRowSelect);
  list.SetSelected(1, true);
  list.SetSelected(2, true);
  for (int32_t i = 0; i < 1000; ++i) list.InsertRow(0, "new", 0, static_cast<cItemValue>(i));
  EXPECT_EQ(list.RowCount(), 1003);
  EXPECT_EQ(list.NextSelected(-1), 1001);
  EXPECT_EQ(list.NextSelected(1001), 1002);
  EXPECT_EQ(list.NextSelected(1002), -1);
  EXPECT_EQ(list.RowValue(1001), 101u);
  EXPECT_TRUE(list.DeleteRow(1002));
  EXPECT_EQ(list.NextSelected(1001), -1);
  list.SetSelected(1001, false);
  EXPECT_EQ(list.NextSelected(-1), -1);
}

// A full log drops its last row before each new one at the top.
TYPED_TEST(ReportListTest, TrimmingTheLastRowAndInsertingAtTheTopMovesTheSelectionDown) {
  cReportList& list = this->list_;
  list.SetSelected(1, true);
  for (cItemValue value : {200u, 201u}) {
    EXPECT_TRUE(list.DeleteRow(list.RowCount() - 1));
    EXPECT_EQ(list.RowCount(), 2);
    EXPECT_EQ(list.InsertRow(0, "new", 0, value), 0);
  }
  EXPECT_EQ(this->Values(), (std::vector<cItemValue>{201, 200, 100}));
  EXPECT_EQ(list.NextSelected(-1), -1);  // the selected row was trimmed with the second
  list.SetSelected(0, true);
  EXPECT_TRUE(list.DeleteRow(2));
  list.InsertRow(0, "newer", 0, 202);
  EXPECT_EQ(list.NextSelected(-1), 1);
  EXPECT_STREQ(list.CellText(1, 0).CStr(), "new");

  // Rows trimmed with nothing inserted after them are gone at once for the program, and
  // for the user once the window has caught up.
  EXPECT_TRUE(list.DeleteRow(2));
  EXPECT_TRUE(list.DeleteRow(1));
  EXPECT_EQ(list.RowCount(), 1);
  EXPECT_EQ(list.RowValue(1), 0u);
  EXPECT_EQ(list.NextSelected(-1), -1);
  this->rig_.Settle();
  EXPECT_EQ(list.HitTest(this->rig_.CellCentre(0, 1)), 0);
  EXPECT_EQ(list.HitTest(this->rig_.BelowTheRows()), -1);
  EXPECT_EQ(list.InsertRow(5, "last", 0, 203), 1);
  EXPECT_EQ(this->Values(), (std::vector<cItemValue>{202, 203}));
}

TYPED_TEST(ReportListTest, HitTestFindsTheRowUnderAPoint) {
  cReportList& list = this->list_;
  for (int32_t row = 0; row < 3; ++row) {
    EXPECT_EQ(list.HitTest(this->rig_.CellCentre(row, 2)), row);
    EXPECT_EQ(list.HitTest(this->rig_.CellCentre(row, 0)), row);
  }
  EXPECT_EQ(list.HitTest(this->rig_.BelowTheRows()), -1);
  list.DeleteRow(2);
  EXPECT_EQ(list.HitTest(this->rig_.CellCentre(1, 1)), 1);
}

TYPED_TEST(ReportListTest, AClickOnTheBoxReachesOnListCheckWithTheStateBeforeTheClick) {
  cReportList& list = this->list_;
  cRecordingHandler handler(list);

  const cPoint on_box = this->rig_.CheckBoxCentre(1);
  ASSERT_GT(on_box.x, 1);
  this->rig_.Click(on_box);
  ASSERT_EQ(handler.rows.size(), 1u);
  EXPECT_EQ(handler.rows[0], 1);
  EXPECT_EQ(handler.contexts[0], kRigList);
  EXPECT_TRUE(handler.checked_when_called[0]);
  EXPECT_FALSE(list.GetCheck(1));  // the list toggled it after the handler ran
  EXPECT_EQ(handler.check_box.LastX(), on_box.x);

  this->rig_.Click(this->rig_.CheckBoxCentre(0));
  ASSERT_EQ(handler.rows.size(), 2u);
  EXPECT_FALSE(handler.checked_when_called[1]);
  EXPECT_TRUE(list.GetCheck(0));
}

TYPED_TEST(ReportListTest, ClicksOutsideColumnZeroOrOnItsBorderDoNotReachTheHandler) {
  cReportList& list = this->list_;
  cRecordingHandler handler(list);
  const int32_t y = this->rig_.CheckBoxCentre(2).y;
  this->rig_.Click(cPoint{60, y});  // the neighbour column's first pixel
  this->rig_.Click(cPoint{100, y});
  this->rig_.Click(cPoint{1, y});  // the border
  EXPECT_TRUE(handler.rows.empty());
  EXPECT_FALSE(list.GetCheck(2));
  // The row was still selected by the click, as a full-row list does.
  EXPECT_EQ(list.NextSelected(-1), 2);
}

TYPED_TEST(ReportListTest, TheKeyboardTogglesABoxAfterTellingTheHandler) {
  cReportList& list = this->list_;
  cRecordingHandler handler(list);
  this->rig_.ToggleFromKeyboard(2);
  ASSERT_EQ(handler.rows.size(), 1u);
  EXPECT_EQ(handler.rows[0], 2);
  EXPECT_FALSE(handler.checked_when_called[0]);
  EXPECT_TRUE(list.GetCheck(2));  // toggled once, not twice
  EXPECT_EQ(list.NextSelected(-1), 2);
  // A list without boxes has nothing to toggle.
  list.SetListStyles(kListFullRowSelect);
  this->rig_.ToggleFromKeyboard(1);
  EXPECT_EQ(handler.rows.size(), 1u);
  EXPECT_TRUE(list.GetCheck(1));
}

TYPED_TEST(ReportListTest, HeaderClicksAndTheUsersSelectionReachTheWatcher) {
  cReportList& list = this->list_;
  cHeaderAndSelection events;
  list.SetEvents(&events);
  list.SetColumnOrder(2, 0);  // a moved column still reports its own index
  this->rig_.ClickHeader(2);
  this->rig_.ClickHeader(0);
  EXPECT_EQ(events.headers, (std::vector<int32_t>{2, 0}));

  list.SetSelected(0, true);  // the program's own selection is no news
  EXPECT_EQ(events.selection_changes, 0);
  this->rig_.Click(this->rig_.CellCentre(2, 1));
  EXPECT_GE(events.selection_changes, 1);
  EXPECT_EQ(list.NextSelected(-1), 2);
  EXPECT_EQ(list.NextSelected(2), -1);
  list.SetEvents(nullptr);
}

}  // namespace

}  // namespace hv
