#include "client/views/devices/list_ctrl_w_chk_box.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "client/ui/headless/headless_report_list.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/views/devices/list_ctrl_update.h"
#include "client/views/testing/host_window.h"

namespace hv {

namespace {

constexpr int32_t kListId = 1012;

struct cCheckCall {
  int32_t row;
  int32_t context;
  bool checked_when_called;
};

class cRecordingHandler : public CListCtrlUpdate {
 public:
  explicit cRecordingHandler(cReportList& list) : list_(list) {}
  Status OnListCheck(int32_t row, int32_t context) override {
    calls.push_back(cCheckCall{row, context, list_.GetCheck(row)});
    return Status::Ok();
  }
  std::vector<cCheckCall> calls;

 private:
  cReportList& list_;
};

class CListCtrlWChkBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = hv::test::MakeHostWindow(
        toolkit_, 300, 200, {{eControlKind::kReportList, kListId, "", 0, 0, 290, 190, 0}});
    list_ = dynamic_cast<cHeadlessReportList*>(window_->ReportList(kListId));
    ASSERT_NE(list_, nullptr);
    list_->SetListStyles(kListCheckBoxes | kListFullRowSelect | kListHeaderDragDrop);
    list_->InsertColumn(0, "Status", 45);
    list_->InsertColumn(1, "Status Data", 75);
    list_->InsertColumn(2, "Switch Name", 150);
    for (int32_t i = 0; i < 3; ++i) list_->InsertRow(i, "Off", 0, 0);
    list_->SetCheck(1, true);
    handler_ = std::make_unique<cRecordingHandler>(*list_);
    check_box_.Attach(list_);
    check_box_.SetUpdateHandler(kListId, handler_.get());
  }

  // A point in the middle of the row's height.
  cPoint InRow(int32_t row, int32_t x) const {
    return cPoint{x, list_->RowTop(row) + cHeadlessReportList::kRowHeight / 2};
  }

  cHeadlessToolkit toolkit_;
  std::unique_ptr<cWindow> window_;
  cHeadlessReportList* list_ = nullptr;
  std::unique_ptr<cRecordingHandler> handler_;
  CListCtrlWChkBox check_box_;
};

TEST_F(CListCtrlWChkBoxTest, ClickOnTheBoxReachesTheHandlerBeforeTheBoxToggles) {
  list_->ClickAt(InRow(1, 6));
  ASSERT_EQ(handler_->calls.size(), 1u);
  EXPECT_EQ(handler_->calls[0].row, 1);
  EXPECT_EQ(handler_->calls[0].context, kListId);
  EXPECT_TRUE(handler_->calls[0].checked_when_called);
  EXPECT_FALSE(list_->GetCheck(1));  // the list's own handling came after

  list_->ClickAt(InRow(0, 6));
  ASSERT_EQ(handler_->calls.size(), 2u);
  EXPECT_FALSE(handler_->calls[1].checked_when_called);
}

TEST_F(CListCtrlWChkBoxTest, OnlyColumnZeroAwayFromTheBorderCounts) {
  // Anywhere in column 0 (not only on the box) counts, from x 2 to its last pixel.
  list_->ClickAt(InRow(0, 2));
  list_->ClickAt(InRow(0, 44));
  EXPECT_EQ(handler_->calls.size(), 2u);
  // The list's border pixels, the neighbour's first pixel, further right, below the rows,
  // and the header never do.
  for (cPoint point : {InRow(0, 0), InRow(0, 1), InRow(0, 45), InRow(0, 60), InRow(2, 200),
                       InRow(3, 10), cPoint{10, 5}}) {
    list_->ClickAt(point);
  }
  EXPECT_EQ(handler_->calls.size(), 2u);
}

TEST_F(CListCtrlWChkBoxTest, ColumnZeroDisplayedLastLosesItsLast55Pixels) {
  list_->SetColumnWidth(0, 100);
  list_->SetColumnOrder(0, 2);
  int32_t left = 0;
  int32_t right = 0;
  ASSERT_TRUE(CListCtrlWChkBox::CheckBoxColumnEdges(*list_, &left, &right));
  EXPECT_EQ(left, 225);
  EXPECT_EQ(right, 270);

  list_->ClickAt(InRow(0, 224));  // still the neighbour
  list_->ClickAt(InRow(0, 270));  // the dead zone begins
  list_->ClickAt(InRow(0, 320));
  EXPECT_TRUE(handler_->calls.empty());
  list_->ClickAt(InRow(0, 230));
  list_->ClickAt(InRow(0, 269));
  EXPECT_EQ(handler_->calls.size(), 2u);
}

TEST_F(CListCtrlWChkBoxTest, NarrowColumnZeroDisplayedLastNeverCounts) {
  list_->SetColumnOrder(0, 2);  // 45 pixels wide: the dead zone swallows it all
  list_->ClickAt(InRow(0, 230));
  list_->ClickAt(InRow(0, 268));
  EXPECT_TRUE(handler_->calls.empty());
}

TEST_F(CListCtrlWChkBoxTest, ColumnZeroInTheMiddleCountsWhereItIsShown) {
  list_->SetColumnOrder(0, 1);  // Status Data | Status | Switch Name
  list_->ClickAt(InRow(2, 10));
  EXPECT_TRUE(handler_->calls.empty());
  list_->ClickAt(InRow(2, 80));
  ASSERT_EQ(handler_->calls.size(), 1u);
  EXPECT_EQ(handler_->calls[0].row, 2);
}

TEST_F(CListCtrlWChkBoxTest, WithoutAHandlerTheListsOwnCheckOperationRuns) {
  struct cOwnCheck : CListCtrlWChkBox {
    Status OnListCheck(int32_t row, int32_t context) override {
      rows.push_back(row);
      contexts.push_back(context);
      return Status::Ok();
    }
    std::vector<int32_t> rows;
    std::vector<int32_t> contexts;
  } own;
  check_box_.Attach(nullptr);
  own.Attach(list_);
  own.SetUpdateHandler(77, nullptr);
  list_->ClickAt(InRow(2, 10));
  ASSERT_EQ(own.rows.size(), 1u);
  EXPECT_EQ(own.rows[0], 2);
  EXPECT_EQ(own.contexts[0], 77);
  EXPECT_TRUE(CListCtrlWChkBox().OnListCheck(0, 0).declined());
}

TEST_F(CListCtrlWChkBoxTest, RemembersTheLastMousePosition) {
  list_->MoveMouse(cPoint{33, 44});
  EXPECT_EQ(check_box_.LastX(), 33);
  EXPECT_EQ(check_box_.LastY(), 44);
  EXPECT_TRUE(handler_->calls.empty());
}

TEST_F(CListCtrlWChkBoxTest, AListWithoutColumnsOrRowsNeverCalls) {
  list_->DeleteAllRows();
  list_->ClickAt(InRow(0, 10));
  EXPECT_TRUE(handler_->calls.empty());
  int32_t left = 0;
  int32_t right = 0;
  cHeadlessToolkit toolkit;
  std::unique_ptr<cWindow> empty = hv::test::MakeHostWindow(
      toolkit, 0, 0, {{eControlKind::kReportList, 5, "", 0, 0, 100, 100, 0}});
  EXPECT_FALSE(CListCtrlWChkBox::CheckBoxColumnEdges(*empty->ReportList(5), &left, &right));
}

}  // namespace

namespace {

TEST_F(CListCtrlWChkBoxTest, KeyboardToggleReachesTheHandlerLikeAClick) {
  list_->ToggleFromKeyboard(1);
  ASSERT_EQ(handler_->calls.size(), 1u);
  EXPECT_EQ(handler_->calls[0].row, 1);
  EXPECT_EQ(handler_->calls[0].context, kListId);
  EXPECT_TRUE(handler_->calls[0].checked_when_called);
  EXPECT_FALSE(list_->GetCheck(1));
  list_->ToggleFromKeyboard(7);  // no such row
  EXPECT_EQ(handler_->calls.size(), 1u);
}

}  // namespace

}  // namespace hv
