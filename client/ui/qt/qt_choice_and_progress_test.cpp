// Radio buttons, progress bars and edits of several lines on the real widgets: a click
// chooses one radio button and clears the others, as the in-memory toolkit does, bars hold
// their position in range, and a text of CR LF lines comes back as it went in.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>

#include "client/ui/qt/qt_control.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/testing/window_test.h"

namespace hv {

namespace {

constexpr int32_t kFirst = 11;
constexpr int32_t kSecond = 12;
constexpr int32_t kBar = 13;
constexpr int32_t kNotes = 14;

cDialogLayout ChoiceLayout() {
  cDialogLayout layout{.title = "Choice", .width = 120, .height = 60};
  layout.controls = {
      {eControlKind::kRadioButton, kFirst, "First", 5, 5, 50, 10, 0},
      {eControlKind::kRadioButton, kSecond, "Second", 60, 5, 50, 10, 0},
      {eControlKind::kProgressBar, kBar, "", 5, 25, 110, 10, 0},
      {eControlKind::kEdit, kNotes, "", 5, 40, 110, 18, kEditReadOnly | kEditMultiLine},
  };
  return layout;
}

class QtChoiceAndProgressTest : public hv::test::cWindowTest<cQtToolkit> {
 protected:
  void SetUp() override { OpenWindow(ChoiceLayout()); }
};

TEST_F(QtChoiceAndProgressTest, RadioButtonsAreExclusiveAndBarsStayInRange) {
  window_->Show(true);

  window_->Button(kFirst)->SetCheck(1);
  auto* second = dynamic_cast<QRadioButton*>(
      dynamic_cast<cQtWidgetHolder*>(window_->Control(kSecond))->Widget());
  ASSERT_NE(second, nullptr);
  QTest::mouseClick(second, Qt::LeftButton);
  EXPECT_EQ(window_->Button(kSecond)->GetCheck(), 1);
  EXPECT_EQ(window_->Button(kFirst)->GetCheck(), 0);
  // One command, the user's click: setting a check from the program reports nothing.
  ASSERT_EQ(events_->commands.size(), 1u);
  EXPECT_EQ(events_->commands[0].id, kSecond);
  EXPECT_EQ(events_->commands[0].event, eCommandEvent::kClicked);

  cProgressBar* bar = window_->ProgressBar(kBar);
  ASSERT_NE(bar, nullptr);
  bar->SetPosition(42);
  EXPECT_EQ(bar->Position(), 42);
  auto* widget = dynamic_cast<QProgressBar*>(dynamic_cast<cQtWidgetHolder*>(bar)->Widget());
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->value(), 42);
  bar->SetPosition(250);
  EXPECT_EQ(bar->Position(), 100);
  bar->SetPosition(-3);
  EXPECT_EQ(bar->Position(), 0);

  cControl* notes = window_->Control(kNotes);
  notes->SetText("First\r\nSecond caf\xe9\r\n");
  auto* area = dynamic_cast<QPlainTextEdit*>(dynamic_cast<cQtWidgetHolder*>(notes)->Widget());
  ASSERT_NE(area, nullptr);
  EXPECT_TRUE(area->isReadOnly());
  EXPECT_EQ(area->toPlainText(), QString::fromUtf8("First\nSecond caf\u00e9\n"));
  EXPECT_STREQ(notes->Text().CStr(), "First\r\nSecond caf\xe9\r\n");
  window_->SetEvents(nullptr);
}

}  // namespace

}  // namespace hv
