// The keyboard and the accessibility interface of the real list: both toggle a row's box the
// way a click does, telling the check handler first.
#include "client/ui/qt/check_list_accessible.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "client/ui/qt/qt_report_list.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/qt_window.h"
#include "client/views/devices/list_ctrl_update.h"
#include "client/views/devices/list_ctrl_w_chk_box.h"

namespace hv {

namespace {

constexpr int32_t kListId = 1012;

class cRecordingHandler : public CListCtrlUpdate {
 public:
  Status OnListCheck(int32_t row, int32_t /*context*/) override {
    calls.emplace_back(row, list->GetCheck(row));
    return Status::Ok();
  }
  cReportList* list = nullptr;
  std::vector<std::pair<int32_t, bool>> calls;  // row, checked before the toggle
};

class CheckListAccessibleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cDialogLayout layout{.width = 300, .height = 200};
    layout.controls.push_back({eControlKind::kReportList, kListId, "", 5, 5, 290, 190, 0});
    window_ = toolkit_.CreateTopLevelWindow(layout, nullptr);
    list_ = dynamic_cast<cQtReportList*>(window_->ReportList(kListId));
    ASSERT_NE(list_, nullptr);
    list_->SetListStyles(kListCheckBoxes | kListFullRowSelect);
    list_->InsertColumn(0, "Status", 60);
    list_->InsertColumn(1, "Switch Name", 150);
    // "K\xFC\x63he" is "Küche" in Windows-1252 (\x63 a "c"); "Caf\xC3\xA9" is "Café" in UTF-8.
    const char* names[] = {"Porch", "K\xFC\x63he", "Caf\xC3\xA9"};
    for (int32_t i = 0; i < 3; ++i) {
      list_->InsertRow(i, "Off", 0, 0);
      list_->SetCellText(i, 1, names[i]);
    }
    list_->SetCheck(1, true);
    handler_.list = list_;
    check_box_.Attach(list_);
    check_box_.SetUpdateHandler(kListId, &handler_);
    window_->Show(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(static_cast<cQtWindow*>(window_.get())->Dialog()));
  }
  void TearDown() override { check_box_.Attach(nullptr); }

  QAccessibleInterface* Cell(int row, int column) {
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(list_->View());
    return list != nullptr ? list->child((row + 1) * 2 + column) : nullptr;
  }

  cQtToolkit toolkit_;
  std::unique_ptr<cWindow> window_;
  cQtReportList* list_ = nullptr;
  cRecordingHandler handler_;
  CListCtrlWChkBox check_box_;
};

TEST_F(CheckListAccessibleTest, SpaceTogglesTheFocusedRowAfterTellingTheHandler) {
  QTableView* view = list_->View();
  view->setFocus();
  // Focus on a cell outside the box's column: the space bar still toggles the row's box.
  view->setCurrentIndex(view->model()->index(1, 1));
  QTest::keyClick(view, Qt::Key_Space);
  ASSERT_EQ(handler_.calls.size(), 1u);
  EXPECT_EQ(handler_.calls[0], std::make_pair(1, true));
  EXPECT_FALSE(list_->GetCheck(1));

  view->setCurrentIndex(view->model()->index(2, 0));
  QTest::keyClick(view, Qt::Key_Space);
  ASSERT_EQ(handler_.calls.size(), 2u);
  EXPECT_EQ(handler_.calls[1], std::make_pair(2, false));
  EXPECT_TRUE(list_->GetCheck(2));  // toggled once, not twice

  QTest::keyClick(view, Qt::Key_Down);  // other keys keep their meaning
  EXPECT_EQ(handler_.calls.size(), 2u);
}

TEST_F(CheckListAccessibleTest, EachRowsBoxIsACheckableItemWhoseToggleActsLikeAClick) {
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(list_->View());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->role(), QAccessible::Table);
  EXPECT_EQ(list->childCount(), 8);  // the header's two cells, then two per row
  EXPECT_EQ(list->child(1)->text(QAccessible::Name), QStringLiteral("Switch Name"));
  EXPECT_EQ(list->child(1)->role(), QAccessible::ColumnHeader);

  QAccessibleInterface* box = Cell(1, 0);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->role(), QAccessible::CheckBox);
  EXPECT_EQ(Cell(1, 1)->role(), QAccessible::Cell);
  EXPECT_TRUE(box->state().checkable);
  EXPECT_TRUE(box->state().checked);
  EXPECT_FALSE(Cell(0, 0)->state().checked);
  EXPECT_FALSE(Cell(1, 1)->state().checkable);
  EXPECT_EQ(Cell(1, 1)->actionInterface(), nullptr);
  // Names decode as the list shows them: Windows-1252 and UTF-8 alike.
  EXPECT_EQ(Cell(1, 1)->text(QAccessible::Name), QString::fromUtf8("K\xC3\xBC"
                                                                   "che"));
  EXPECT_EQ(Cell(2, 1)->text(QAccessible::Name), QString::fromUtf8("Caf\xC3\xA9"));
  // A cell cut short by its column shows its whole text as the tooltip.
  EXPECT_EQ(list_->View()->model()->index(1, 1).data(Qt::ToolTipRole).toString(),
            QString::fromUtf8("K\xC3\xBC"
                              "che"));
  EXPECT_EQ(list->indexOfChild(box), 4);

  ASSERT_NE(box->actionInterface(), nullptr);
  EXPECT_EQ(box->actionInterface()->actionNames(),
            QStringList{QAccessibleActionInterface::toggleAction()});
  box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  ASSERT_EQ(handler_.calls.size(), 1u);
  EXPECT_EQ(handler_.calls[0], std::make_pair(1, true));
  EXPECT_FALSE(list_->GetCheck(1));
  EXPECT_FALSE(box->state().checked);
}

TEST_F(CheckListAccessibleTest, ChildrenFollowTheListWhenItIsEmptiedAndFilledAgain) {
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(list_->View());
  ASSERT_NE(Cell(2, 1), nullptr);
  list_->DeleteAllRows();
  EXPECT_EQ(list->childCount(), 2);
  EXPECT_EQ(list->child(4), nullptr);
  list_->InsertRow(0, "On", 0, 0);
  list_->SetCellText(0, 1, "Fan");
  list_->SetCheck(0, true);
  QAccessibleInterface* box = Cell(0, 0);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->state().checked);
  EXPECT_EQ(Cell(0, 1)->text(QAccessible::Name), QStringLiteral("Fan"));
  // A list without check boxes offers no boxes to toggle.
  list_->SetListStyles(kListFullRowSelect);
  EXPECT_FALSE(Cell(0, 0)->state().checkable);
  EXPECT_EQ(Cell(0, 0)->actionInterface(), nullptr);
}

// Texts a list leaves to its owner, as the activity log does; the second column's text is
// built at each call, the way the log builds "Name/Id".
class cOwnerTexts : public cReportRowTexts {
 public:
  std::string_view Text(cItemValue value, int32_t column) const override {
    if (column == 0) return value == 1 ? "On" : "Off";
    built_ = value == 1 ? "K\xFC\x63he" : "Porch " + std::to_string(value);
    return built_;
  }

 private:
  mutable std::string built_;
};

TEST_F(CheckListAccessibleTest, WhatIsDrawnReadAndCopiedComesFromTheOwnerOfTheTexts) {
  cOwnerTexts owner;
  list_->DeleteAllRows();
  list_->SetListStyles(kListFullRowSelect);
  list_->SetRowTexts(&owner);
  list_->InsertRow(0, nullptr, 0, 2);
  list_->InsertRow(0, nullptr, 0, 1);
  const QAbstractItemModel& model = *list_->View()->model();
  EXPECT_EQ(model.data(model.index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("Porch 2"));
  EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("On"));
  // The screen reader hears the owner's text, decoded as every text is.
  ASSERT_NE(Cell(0, 1), nullptr);
  EXPECT_EQ(Cell(0, 1)->text(QAccessible::Name), QString::fromUtf8("K\xC3\xBC\x63he"));
  EXPECT_EQ(Cell(1, 0)->text(QAccessible::Name), QStringLiteral("Off"));
  // The copy key copies the current cell's text.
  list_->View()->setFocus();
  list_->View()->setCurrentIndex(model.index(1, 1));
  QGuiApplication::clipboard()->clear();
  QTest::keySequence(list_->View(), QKeySequence::Copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Porch 2"));
  list_->DeleteAllRows();
  list_->SetRowTexts(nullptr);
}

}  // namespace

}  // namespace hv
