#include "client/ui/qt/qt_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <memory>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/ui/layout_rows.h"
#include "client/ui/qt/qt_button.h"
#include "client/ui/qt/qt_image_list.h"
#include "client/ui/qt/qt_popup_menu.h"
#include "client/ui/qt/qt_report_list.h"
#include "client/ui/qt/qt_simple_controls.h"
#include "client/ui/qt/qt_tab_control.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/testing/recording_window_events.h"
#include "client/ui/testing/window_test.h"

namespace hv {

namespace {

constexpr int32_t kPauseId = 1187;
constexpr int32_t kSetupId = 1000;
constexpr int32_t kMessageId = 1242;
constexpr int32_t kLabelId = 1823;
constexpr int32_t kTabsId = 1449;

cDialogLayout MainLayout() {
  cDialogLayout layout{.resource_id = 102,
                       .title = "Varnholt (TM) Client",
                       .width = 444,
                       .height = 300,
                       .styles = kWindowResizable | kWindowMinimizeBox | kWindowMaximizeBox};
  layout.controls = {
      {eControlKind::kTabControl, kTabsId, "", 7, 104, 369, 117, 0},
      Label(kLabelId, "Control File:", 7, 245, 38),
      Edit(kMessageId, 80, 280, 296),
      Button(kSetupId, "&Setup", 382, 79),
      {eControlKind::kCheckBox, kPauseId, "Pause\r\nMacros", 382, 169, 39, 21, kButtonMultiLine},
      {eControlKind::kPushButton, 1541, "&Log Out", 382, 43, 55, 14, kControlHidden},
  };
  return layout;
}

// A view's page: a list under a title's height, as the tab views are laid out.
cDialogLayout PageLayout() {
  cDialogLayout page{.width = 100, .height = 50};
  page.controls.push_back({eControlKind::kReportList, 1012, "", 0, 10, 80, 40, 0});
  return page;
}

using hv::test::cRecordingWindowEvents;

class QtWindowTest : public hv::test::cWindowTest<cQtToolkit> {
 protected:
  void SetUp() override {
    OpenWindow(MainLayout());
    qt_window_ = static_cast<cQtWindow*>(window_.get());
  }

  QWidget* WidgetOf(int32_t id) {
    return dynamic_cast<cQtWidgetHolder*>(window_->Control(id))->Widget();
  }

  cQtWindow* qt_window_ = nullptr;
};

TEST_F(QtWindowTest, LayoutsKeepTheirProportionsInDialogUnits) {
  const cRect client = window_->ClientRect();
  const cRect setup = window_->Control(kSetupId)->Rect();
  const cRect tabs = window_->Control(kTabsId)->Rect();
  EXPECT_EQ(client, window_->DialogUnitsToPixels(cRect{0, 0, 444, 300}));
  EXPECT_GT(setup.left, tabs.right);
  EXPECT_NEAR(setup.Width() * 369.0 / 55.0, tabs.Width(), 8.0);
  EXPECT_FALSE(window_->Control(1541)->IsVisible());
  EXPECT_TRUE(window_->Control(kSetupId)->IsVisible());
  EXPECT_EQ(dynamic_cast<QCheckBox*>(WidgetOf(kPauseId))->text(), QStringLiteral("Pause\nMacros"));
  EXPECT_STREQ(window_->Control(kPauseId)->Text().CStr(), "Pause\r\nMacros");

  cDialogLayout repeated = MainLayout();
  repeated.controls.push_back({eControlKind::kLabel, kSetupId, "", 0, 0, 1, 1, 0});
  EXPECT_EQ(toolkit_.CreateTopLevelWindow(repeated, nullptr), nullptr);
}

TEST_F(QtWindowTest, RealClicksReachTheEventsAfterTheCheckBoxToggles) {
  window_->Show(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(qt_window_->Dialog()));
  QTest::mouseClick(WidgetOf(kPauseId), Qt::LeftButton);
  QTest::mouseClick(WidgetOf(kSetupId), Qt::LeftButton);
  ASSERT_EQ(events_->commands.size(), 2u);
  EXPECT_EQ(events_->commands[0].id, kPauseId);
  EXPECT_EQ(events_->commands[0].check, 1);
  EXPECT_EQ(events_->commands[1].id, kSetupId);
  EXPECT_EQ(events_->commands[1].event, eCommandEvent::kClicked);

  window_->Control(kSetupId)->Enable(false);
  QTest::mouseClick(WidgetOf(kSetupId), Qt::LeftButton);
  EXPECT_EQ(events_->commands.size(), 2u);

  QTest::keyClicks(WidgetOf(kMessageId), "Hi");
  EXPECT_STREQ(window_->Control(kMessageId)->Text().CStr(), "Hi");
  EXPECT_EQ(events_->commands.back().event, eCommandEvent::kTextChanged);
  QTest::keyClick(qt_window_->Dialog(), Qt::Key_Escape);
  EXPECT_EQ(events_->commands.back().id, kResultCancel);
  EXPECT_TRUE(window_->IsVisible());  // Cancel is the program's to decide
}

// What an assistive technology does over AT-SPI: the named action of the widget.
void DoAccessibleAction(QWidget* widget, const QString& action) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  ASSERT_NE(accessible, nullptr);
  ASSERT_NE(accessible->actionInterface(), nullptr);
  ASSERT_TRUE(accessible->actionInterface()->actionNames().contains(action))
      << action.toStdString();
  accessible->actionInterface()->doAction(action);
}

QString AccessibleName(QWidget* widget) {
  return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

TEST_F(QtWindowTest, EveryWayAUserChangesACheckBoxRunsItsCommandOnceAndTheProgramsChangesNone) {
  window_->Show(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(qt_window_->Dialog()));
  QWidget* pause = WidgetOf(kPauseId);
  auto expect_one = [&](int32_t id, int32_t check, const char* how) {
    ASSERT_EQ(events_->commands.size(), 1u) << how;
    EXPECT_EQ(events_->commands[0].id, id) << how;
    EXPECT_EQ(events_->commands[0].event, eCommandEvent::kClicked) << how;
    EXPECT_EQ(events_->commands[0].check, check) << how;
    events_->commands.clear();
  };
  QTest::mouseClick(pause, Qt::LeftButton);
  expect_one(kPauseId, 1, "mouse");
  pause->setFocus();
  QTest::keyClick(pause, Qt::Key_Space);
  expect_one(kPauseId, 0, "keyboard");
  DoAccessibleAction(pause, QAccessibleActionInterface::toggleAction());
  expect_one(kPauseId, 1, "accessibility toggle");
  // A box offers Toggle over AT-SPI (as a screen reader uses it); a push button, Press.

  window_->Button(kPauseId)->SetCheck(1);  // the server's state, set by the program
  window_->Button(kPauseId)->SetCheck(0);
  EXPECT_TRUE(events_->commands.empty());

  DoAccessibleAction(WidgetOf(kSetupId), QAccessibleActionInterface::pressAction());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !events_->commands.empty(); }, 2000));
  QTest::qWait(50);  // a second command would come right behind the first
  expect_one(kSetupId, 0, "accessibility press of a push button");
}

TEST_F(QtWindowTest, EveryWayAUserChangesAnEditIsReportedAndTheProgramsChangesAreNot) {
  auto* edit = static_cast<QLineEdit*>(WidgetOf(kMessageId));
  auto changes = [&] {
    size_t count = 0;
    for (const auto& command : events_->commands) {
      if (command.id == kMessageId && command.event == eCommandEvent::kTextChanged) ++count;
    }
    events_->commands.clear();
    return count;
  };
  QTest::keyClicks(edit, "ab");
  EXPECT_EQ(changes(), 2u) << "typed";
  // What a screen reader or voice control sets over AT-SPI (SetTextContents).
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(edit);
  ASSERT_NE(accessible->editableTextInterface(), nullptr);
  accessible->editableTextInterface()->replaceText(0, 2, QStringLiteral("(on"));
  EXPECT_EQ(edit->text(), QStringLiteral("(on"));
  EXPECT_EQ(changes(), 1u) << "set over the accessibility bus";
  window_->Control(kMessageId)->SetText("from the program");
  EXPECT_EQ(changes(), 0u) << "set by the program";
}

TEST_F(QtWindowTest, CaptionsAreTheAccessibleNames) {
  EXPECT_EQ(AccessibleName(WidgetOf(kPauseId)), QStringLiteral("Pause\nMacros"));
  EXPECT_EQ(AccessibleName(WidgetOf(kSetupId)), QStringLiteral("Setup"));
  EXPECT_EQ(AccessibleName(WidgetOf(kLabelId)), QStringLiteral("Control File:"));
  window_->Control(kSetupId)->SetText("Night && Day");
  EXPECT_EQ(AccessibleName(WidgetOf(kSetupId)), QStringLiteral("Night & Day"));
  window_->Control(kLabelId)->SetText("IP Address:");
  EXPECT_EQ(AccessibleName(WidgetOf(kLabelId)), QStringLiteral("IP Address:"));

  // A progress bar takes its name from the label before it, as a field does.
  cDialogLayout progress{.title = "Progress", .width = 240, .height = 40};
  progress.controls = {Label(kUnaddressed, "Current File:", 7, 7, 226),
                       {eControlKind::kProgressBar, 1001, "", 7, 17, 226, 10, 0}};
  std::unique_ptr<cWindow> bars = toolkit_.CreateTopLevelWindow(progress, nullptr);
  ASSERT_NE(bars, nullptr);
  EXPECT_EQ(AccessibleName(dynamic_cast<cQtWidgetHolder*>(bars->Control(1001))->Widget()),
            QStringLiteral("Current File:"));
}

TEST_F(QtWindowTest, EscapeInAHostedViewIsTheHostsAndNeverHidesTheView) {
  const cDialogLayout page = PageLayout();
  std::unique_ptr<cWindow> view = toolkit_.CreateChildWindow(page, *window_, kTabsId);
  ASSERT_NE(view, nullptr);
  cRecordingWindowEvents view_events(*view);
  view->SetEvents(&view_events);
  view->MoveWindow(window_->TabControl(kTabsId)->DisplayArea(), true);
  view->Show(true);
  window_->Show(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(qt_window_->Dialog()));
  QTableView* list = static_cast<cQtReportList*>(view->Control(1012))->View();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Escape);
  EXPECT_TRUE(view->IsVisible());
  EXPECT_TRUE(view_events.commands.empty());
  // The main window's own rule decides (here: it records the Cancel and stays).
  ASSERT_EQ(events_->commands.size(), 1u);
  EXPECT_EQ(events_->commands[0].id, kResultCancel);
  EXPECT_TRUE(window_->IsVisible());
}

TEST_F(QtWindowTest, CaptionsKeepTheProgramsBytesAndShowDecoded) {
  window_->Control(kLabelId)->SetText("Caf\xE9");
  EXPECT_STREQ(window_->Control(kLabelId)->Text().CStr(), "Caf\xE9");
  EXPECT_EQ(dynamic_cast<QLabel*>(WidgetOf(kLabelId))->text(), QStringLiteral("Café"));
  window_->Control(kLabelId)->SetTextColour(RgbColour(128, 0, 0));
  EXPECT_EQ(WidgetOf(kLabelId)->palette().color(QPalette::WindowText), QColor(128, 0, 0));
  window_->SetTitle("Varnholt (TM) Client - 10.0.0.2:1025");
  EXPECT_EQ(qt_window_->Dialog()->windowTitle(),
            QStringLiteral("Varnholt (TM) Client - 10.0.0.2:1025"));
}

TEST_F(QtWindowTest, ChildWindowsLiveInsideTheirHost) {
  const cDialogLayout page = PageLayout();
  std::unique_ptr<cWindow> view = toolkit_.CreateChildWindow(page, *window_, kTabsId);
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(view->IsVisible());
  const cRect area = window_->TabControl(kTabsId)->DisplayArea();
  view->MoveWindow(area, true);
  EXPECT_EQ(view->WindowRect(), area);
  EXPECT_EQ(static_cast<cQtWindow*>(view.get())->Dialog()->parentWidget(), WidgetOf(kTabsId));
  EXPECT_EQ(toolkit_.CreateChildWindow(page, *window_, 4242), nullptr);
  // The main window may go first; the view's window goes with it and the view stays safe.
  window_.reset();
  view->Show(true);
  EXPECT_FALSE(view->IsVisible());
}

TEST_F(QtWindowTest, TabSelectionByTheUserIsACommandAndByTheProgramIsNot) {
  cTabControl* tabs = window_->TabControl(kTabsId);
  tabs->InsertTab(0, "Activity Log", 4);
  tabs->InsertTab(1, "Switches", 0);
  tabs->Select(1);
  EXPECT_TRUE(events_->commands.empty());
  EXPECT_EQ(tabs->TabValue(tabs->Selection()), 0u);
  window_->Show(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(qt_window_->Dialog()));
  auto* bar = static_cast<cQtTabControl*>(tabs)->Bar();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(0).center());
  ASSERT_EQ(events_->commands.size(), 1u);
  EXPECT_EQ(events_->commands[0].event, eCommandEvent::kSelectionChanged);
  EXPECT_EQ(tabs->Selection(), 0);
}

TEST_F(QtWindowTest, ModalRunsMessageBoxesAndMenusTakeQueuedAnswers) {
  toolkit_.QueueModalScript([](cWindow& dialog) {
    EXPECT_TRUE(dialog.IsVisible());
    dialog.EndDialog(kResultOk);
  });
  EXPECT_EQ(window_->RunModal(), kResultOk);
  toolkit_.QueueModalScript([](cWindow&) {});  // forgets to end: cancelled, not hung
  EXPECT_EQ(window_->RunModal(), kResultCancel);

  toolkit_.QtMessageBox().QueueAnswer(cMessageBoxAnswer::kYes);
  EXPECT_EQ(toolkit_.MessageBox().Show("Are you sure?", "Confirm Pause", cMessageBoxIcon::kQuestion,
                                       cMessageBoxButtons::kYesNo, window_.get()),
            cMessageBoxAnswer::kYes);

  std::unique_ptr<cPopupMenu> menu = toolkit_.CreatePopupMenu();
  menu->AppendItem(32776, "Show On Top");
  menu->AppendItem(32777, "Create Separate Dialog");
  toolkit_.QueueMenuAnswer(32777);
  EXPECT_EQ(menu->Track(cPoint{0, 0}), 32777);
  menu->EnableItem(32776, false);
  toolkit_.QueueMenuAnswer(32776);
  EXPECT_EQ(menu->Track(cPoint{0, 0}), 0);
  // Only an item given a check state shows a box for it.
  menu->CheckItem(32777, true);
  const QList<QAction*> actions = static_cast<cQtPopupMenu*>(menu.get())->Menu().actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_FALSE(actions[0]->isCheckable());
  EXPECT_TRUE(actions[1]->isCheckable());
  EXPECT_TRUE(actions[1]->isChecked());
  menu->CheckItem(32777, false);
  EXPECT_FALSE(actions[1]->isChecked());

  // The save dialog answers as queued; cancelled leaves the path alone.
  swString path = "unchanged";
  toolkit_.QtFileDialog().QueueCancel();
  EXPECT_FALSE(toolkit_.FileDialog().AskSaveFileName(window_.get(), "Export", "a.csv",
                                                     "CSV files (*.csv)", &path));
  toolkit_.QtFileDialog().QueuePath("/tmp/log.csv");
  EXPECT_TRUE(toolkit_.FileDialog().AskSaveFileName(window_.get(), "Export", "a.csv",
                                                    "CSV files (*.csv)", &path));
  EXPECT_STREQ(path.CStr(), "/tmp/log.csv");
}

TEST(QtImageListTest, ScalesToTheCellAndClearsTheTransparentColour) {
  cQtToolkit toolkit;
  std::unique_ptr<cImageList> images = toolkit.CreateImageList(20, 16, 24);
  ASSERT_NE(images, nullptr);
  cBitmap picture;
  ASSERT_EQ(picture.Allocate(20, 16, 0xFFFF00FFu).code(), 0);  // magenta, the usual key
  picture.SetPixel(0, 0, 0xFF123456u);
  EXPECT_EQ(images->Add(picture, 0xFF00FF), 0);
  const QImage image = static_cast<cQtImageList*>(images.get())->Pixmap(0).toImage();
  EXPECT_EQ(image.size(), QSize(20, 16));
  EXPECT_EQ(qAlpha(image.pixel(5, 5)), 0);
  EXPECT_EQ(image.pixel(0, 0), 0xFF123456u);
  cBitmap big;
  ASSERT_EQ(big.Allocate(80, 60, 0xFF000000u).code(), 0);
  EXPECT_EQ(images->Add(big, 0xFF00FF), 1);
  EXPECT_EQ(static_cast<cQtImageList*>(images.get())->Pixmap(1).size(), QSize(20, 16));
  EXPECT_TRUE(images->Remove(0));
  EXPECT_EQ(images->Count(), 1);
}

}  // namespace

}  // namespace hv
