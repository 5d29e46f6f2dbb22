#include "client/ui/qt/qt_icon_list.h"

#include <gtest/gtest.h>

#include <QListView>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/ui/qt/qt_button.h"
#include "client/ui/qt/qt_image_list.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/qt_window.h"
#include "client/ui/testing/window_test.h"

namespace hv {

namespace {

constexpr int32_t kIconsId = 1662;
constexpr int32_t kArrowId = 1672;

cDialogLayout Layout() {
  cDialogLayout layout{.title = "Zirer Controls", .width = 200, .height = 150};
  layout.controls = {
      {eControlKind::kIconList, kIconsId, "", 0, 0, 200, 120, 0},
      {eControlKind::kPushButton, kArrowId, "Left", 4, 126, 36, 20, 0},
  };
  return layout;
}

// The window holds the icon list and a push button beneath it.
class QtIconListTest : public hv::test::cWindowTest<cQtToolkit> {
 protected:
  void SetUp() override { OpenWindow(Layout()); }
};

cBitmap Plain(uint32_t rgb) {
  cBitmap picture;
  EXPECT_EQ(picture.Allocate(80, 60, 0xFF000000u | rgb).code(), 0);
  return picture;
}

TEST_F(QtIconListTest, RowsShowTheirPicturesAndLabelsAndReportSelectionAndDoubleClicks) {
  auto* icons = dynamic_cast<cQtIconList*>(window_->ReportList(kIconsId));
  ASSERT_NE(icons, nullptr);
  std::unique_ptr<cImageList> images = toolkit_.CreateImageList(80, 60, 24);
  // A thumbnail keeps every pixel, black ones too.
  ASSERT_EQ(images->Add(Plain(0x000000), kNoTransparentColour), 0);
  ASSERT_EQ(images->Add(Plain(0x00FF00), kNoTransparentColour), 1);
  icons->SetImageList(images.get());
  EXPECT_EQ(icons->View()->iconSize(), QSize(80, 60));

  EXPECT_EQ(icons->InsertRow(0, "01/02/2024\r\n10:00:00 AM", 0, 11), 0);
  EXPECT_EQ(icons->InsertRow(0, "01/02/2024\r\n11:00:00 AM", 1, 22), 0);
  ASSERT_EQ(icons->RowCount(), 2);
  EXPECT_EQ(icons->CellText(0, 0), "01/02/2024\r\n11:00:00 AM");
  const QModelIndex first = icons->View()->model()->index(0, 0);
  EXPECT_EQ(first.data(Qt::DisplayRole).toString(), QString("01/02/2024\n11:00:00 AM"));
  const QImage picture = first.data(Qt::DecorationRole).value<QPixmap>().toImage();
  EXPECT_EQ(picture.pixel(40, 30) & 0xFFFFFFu, 0x00FF00u);
  const QModelIndex second = icons->View()->model()->index(1, 0);
  const QImage black = second.data(Qt::DecorationRole).value<QPixmap>().toImage();
  EXPECT_EQ(qAlpha(black.pixel(40, 30)), 255);

  // Pictures move down a place: rows follow with their image index.
  ASSERT_TRUE(images->Remove(0));
  ASSERT_TRUE(icons->SetRowImage(0, 0));
  EXPECT_EQ(icons->View()
                    ->model()
                    ->index(0, 0)
                    .data(Qt::DecorationRole)
                    .value<QPixmap>()
                    .toImage()
                    .pixel(40, 30) &
                0xFFFFFFu,
            0x00FF00u);

  events_->log.clear();
  icons->SetSelected(1, true);
  EXPECT_EQ(icons->NextSelected(-1), 1);
  EXPECT_EQ(icons->NextSelected(1), -1);
  ASSERT_FALSE(events_->log.empty());
  EXPECT_EQ(events_->log.back(), "command 1662 1");  // selection changed

  window_->Show(true);
  QApplication::processEvents();
  icons->View()->doItemsLayout();
  const QRect cell = icons->View()->visualRect(first);
  ASSERT_FALSE(cell.isEmpty());
  // A double click as the user makes it: a click, then the second press.
  QTest::mouseClick(icons->View()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  QTest::mouseDClick(icons->View()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  EXPECT_EQ(events_->log.back(), "command 1662 3");  // double clicked
  EXPECT_EQ(icons->HitTest(cPoint{cell.center().x(), cell.center().y()}), 0);
  EXPECT_EQ(icons->RowValue(0), 22u);
  icons->SetImageList(nullptr);
}

TEST_F(QtIconListTest, PushButtonsReportPressAndReleaseBeforeTheirClickAndShowAPicture) {
  window_->Show(true);
  auto* arrow = dynamic_cast<cQtButton*>(window_->Button(kArrowId));
  ASSERT_NE(arrow, nullptr);
  QTest::mousePress(arrow->Button(), Qt::LeftButton);
  QTest::mouseRelease(arrow->Button(), Qt::LeftButton);
  EXPECT_EQ(events_->log,
            (std::vector<std::string>{"pressed 1672", "released 1672", "command 1672 0"}));

  const cBitmap picture = Plain(0x202020);
  arrow->SetPicture(&picture, false);
  EXPECT_FALSE(arrow->Button()->icon().isNull());
  EXPECT_TRUE(arrow->Button()->text().isEmpty());
  EXPECT_EQ(arrow->Text(), "Left");  // still its name
  arrow->SetPicture(nullptr, false);
  EXPECT_EQ(arrow->Button()->text(), QString("Left"));
}

TEST_F(QtIconListTest, AlwaysOnTopKeepsTheWindowWhereItIs) {
  window_->Show(true);
  const cRect size = window_->WindowRect();
  window_->MoveWindow(cRect{120, 80, 120 + size.Width(), 80 + size.Height()}, false);
  QApplication::processEvents();
  const cRect before = window_->WindowRect();
  window_->SetAlwaysOnTop(true);
  QApplication::processEvents();
  EXPECT_TRUE(window_->IsAlwaysOnTop());
  EXPECT_TRUE(window_->IsVisible());
  EXPECT_EQ(window_->WindowRect().left, before.left);
  EXPECT_EQ(window_->WindowRect().top, before.top);
  window_->SetAlwaysOnTop(false);
  EXPECT_FALSE(window_->IsAlwaysOnTop());
  EXPECT_TRUE(window_->IsVisible());
}

}  // namespace

}  // namespace hv
