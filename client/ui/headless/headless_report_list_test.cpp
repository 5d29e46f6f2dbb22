#include "client/ui/headless/headless_report_list.h"

#include <gtest/gtest.h>

#include <memory>

#include "client/picture/bitmap.h"
#include "client/ui/headless/headless_image_list.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_tab_control.h"

namespace {

std::unique_ptr<cWindow> MakeWindow(cHeadlessToolkit& toolkit) {
  cDialogLayout layout;
  layout.width = 300;
  layout.height = 200;
  layout.controls = {
      {eControlKind::kReportList, 10, "", 0, 0, 200, 100, 0},
      {eControlKind::kTabControl, 20, "", 0, 100, 200, 100, 0},
  };
  return toolkit.CreateTopLevelWindow(layout, nullptr);
}

TEST(HeadlessReportListTest, ColumnsInsertAtTheirDisplayPositionAndMove) {
  cHeadlessToolkit toolkit;
  auto window = MakeWindow(toolkit);
  cHeadlessReportList* list = dynamic_cast<cHeadlessReportList*>(window->ReportList(10));
  list->InsertColumn(0, "Type", 25);
  list->InsertColumn(1, "Name/Id", 150);
  list->InsertColumn(1, "Date", 75);  // between the two
  cListColumn column;
  ASSERT_TRUE(list->GetColumn(2, &column));
  EXPECT_STREQ(column.text.CStr(), "Name/Id");
  EXPECT_EQ(column.order, 2);
  EXPECT_EQ(list->ColumnLeft(2), 100);
  EXPECT_TRUE(list->SetColumnOrder(2, 0));
  EXPECT_EQ(list->ColumnLeft(0), 150);
  EXPECT_EQ(list->ColumnLeft(2), 0);
  EXPECT_FALSE(list->SetColumnOrder(5, 0));
  EXPECT_FALSE(list->GetColumn(3, &column));
}

TEST(HeadlessReportListTest, RowsKeepTheirDataThroughSortAndDeletion) {
  cHeadlessToolkit toolkit;
  auto window = MakeWindow(toolkit);
  cReportList* list = window->ReportList(10);
  list->InsertColumn(0, "Status", 45);
  list->InsertColumn(1, "Name", 100);
  for (cItemValue value : {3u, 1u, 2u, 1u}) {
    const int32_t row = list->InsertRow(list->RowCount(), "x", 4, value);
    list->SetCellText(row, 1, value == 1 ? "one" : "other");
  }
  list->SetCheck(3, true);
  list->SetSelected(3, true);
  list->Sort([](cItemValue a, cItemValue b) { return static_cast<int>(a) - static_cast<int>(b); });
  EXPECT_EQ(list->RowValue(0), 1u);
  EXPECT_EQ(list->RowValue(1), 1u);
  EXPECT_TRUE(list->GetCheck(1));  // the later of the equal rows stays second
  EXPECT_EQ(list->NextSelected(-1), 1);
  EXPECT_EQ(list->RowImage(1), 4);
  EXPECT_STREQ(list->CellText(1, 1).CStr(), "one");
  EXPECT_EQ(list->CellText(1, 9).GetLength(), 0u);
  EXPECT_EQ(list->InsertRow(-5, "first", 0, 9), 0);
  EXPECT_TRUE(list->DeleteRow(0));
  EXPECT_FALSE(list->DeleteRow(4));
  EXPECT_FALSE(list->SetCheck(4, true));
  EXPECT_EQ(list->RowValue(4), 0u);
}

TEST(HeadlessReportListTest, HitTestFollowsTheRowGeometry) {
  cHeadlessToolkit toolkit;
  auto window = MakeWindow(toolkit);
  cHeadlessReportList* list = dynamic_cast<cHeadlessReportList*>(window->ReportList(10));
  list->InsertColumn(0, "Status", 45);
  list->InsertRow(0, "a", 0, 0);
  list->InsertRow(1, "b", 0, 0);
  EXPECT_EQ(list->HitTest(cPoint{10, cHeadlessReportList::kHeaderHeight}), 0);
  EXPECT_EQ(list->HitTest(cPoint{10, list->RowTop(1) + 15}), 1);
  EXPECT_EQ(list->HitTest(cPoint{10, list->RowTop(2)}), -1);
  EXPECT_EQ(list->HitTest(cPoint{45, list->RowTop(0)}), -1);  // beyond the columns
  EXPECT_EQ(list->HitTest(cPoint{10, 3}), -1);                // the header
}

TEST(HeadlessTabControlTest, TabsCarryValuesAndSelection) {
  cHeadlessToolkit toolkit;
  auto window = MakeWindow(toolkit);
  cTabControl* tabs = window->TabControl(20);
  EXPECT_EQ(tabs->Selection(), -1);
  tabs->InsertTab(0, "Activity Log", 4);
  EXPECT_EQ(tabs->Selection(), 0);
  tabs->InsertTab(1, "Switches", 0);
  tabs->InsertTab(0, "Porch", 5);
  EXPECT_EQ(tabs->Selection(), 1);  // still "Activity Log"
  EXPECT_EQ(tabs->TabValue(1), 4u);
  EXPECT_STREQ(tabs->TabCaption(0).CStr(), "Porch");
  EXPECT_EQ(tabs->TabAt(cPoint{cHeadlessTabControl::kTabWidth + 3, 5}), 1);
  EXPECT_EQ(tabs->TabAt(cPoint{5, cHeadlessTabControl::kTabHeight + 1}), -1);
  EXPECT_TRUE(tabs->DeleteTab(1));
  EXPECT_EQ(tabs->Selection(), -1);
  const cRect area = tabs->DisplayArea();
  EXPECT_EQ(area.top, cHeadlessTabControl::kTabHeight + cHeadlessTabControl::kPageInset);
  EXPECT_EQ(area.right, 400 - cHeadlessTabControl::kPageInset);
}

TEST(HeadlessImageListTest, KeepsPicturesInOrderAndRemovesTheFirst) {
  cHeadlessToolkit toolkit;
  std::unique_ptr<cImageList> images = toolkit.CreateImageList(80, 60, 24);
  ASSERT_NE(images, nullptr);
  cBitmap small;
  ASSERT_EQ(small.Allocate(2, 2, 0xFF0000FFu), 0);
  cBitmap large;
  ASSERT_EQ(large.Allocate(3, 3), 0);
  EXPECT_EQ(images->Add(small, 0), 0);
  EXPECT_EQ(images->Add(large, 0), 1);
  EXPECT_EQ(images->Add(cBitmap(), 0), -1);
  EXPECT_TRUE(images->Remove(0));
  EXPECT_FALSE(images->Remove(1));
  EXPECT_EQ(images->Count(), 1);
  EXPECT_EQ(static_cast<cHeadlessImageList*>(images.get())->Picture(0).Width(), 3u);
}

}  // namespace
