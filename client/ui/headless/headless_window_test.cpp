#include "client/ui/headless/headless_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/ui/headless/headless_popup_menu.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/layout_rows.h"
#include "client/ui/number_field.h"
#include "client/ui/testing/recording_window_events.h"
#include "client/ui/testing/window_test.h"

namespace hv {

namespace {

constexpr int32_t kPortId = 1342;
constexpr int32_t kAutoLoginId = 1428;
constexpr int32_t kTrayTypeId = 1388;
constexpr int32_t kNameId = 1367;
constexpr int32_t kDeleteId = 1828;

cDialogLayout SetupLayout() {
  cDialogLayout layout{.resource_id = 175, .title = "Setup", .width = 200, .height = 150};
  layout.controls = {
      Label(0, "Name:", 5, 5, 30),
      Label(0, "Port:", 5, 20, 30),  // unaddressed ids may repeat
      {eControlKind::kComboBox, kNameId, "", 40, 5, 100, 60, kComboSorted | kComboEditable},
      {eControlKind::kEdit, kPortId, "", 40, 20, 40, 12, kEditNumber},
      Check(kAutoLoginId, "Automatically log in at startup", 5, 40, 120),
      {eControlKind::kComboBox, kTrayTypeId, "", 40, 55, 60, 40, kComboSorted},
      {eControlKind::kPushButton, kDeleteId, "Delete Settings", 5, 70, 60, 14, kControlHidden},
      {eControlKind::kDefaultButton, 1, "OK", 100, 130, 40, 14, 0},
      Button(2, "Cancel", 150, 130, 40),
  };
  return layout;
}

class HeadlessWindowTest : public hv::test::cWindowTest<cHeadlessToolkit> {
 protected:
  void SetUp() override { OpenWindow(SetupLayout()); }
  // The in-memory window, whose controls a test clicks and types into as a user would.
  cHeadlessWindow& Win() const { return static_cast<cHeadlessWindow&>(*window_); }
};

TEST_F(HeadlessWindowTest, ControlsComeFromTheLayoutInExactPixels) {
  EXPECT_EQ(Win().WindowRect(), (cRect{0, 0, 400, 300}));
  EXPECT_EQ(Win().Control(kPortId)->Rect(), (cRect{80, 40, 160, 64}));
  EXPECT_STREQ(Win().Title().CStr(), "Setup");
  EXPECT_STREQ(Win().Control(kAutoLoginId)->Text().CStr(), "Automatically log in at startup");
  EXPECT_FALSE(Win().Control(kDeleteId)->IsVisible());
  EXPECT_EQ(Win().Control(0), nullptr);
  EXPECT_EQ(Win().Control(9999), nullptr);
  EXPECT_EQ(Win().Button(kPortId), nullptr);  // an edit is no button
  EXPECT_NE(Win().ComboBox(kNameId), nullptr);

  cDialogLayout repeated = SetupLayout();
  repeated.controls.push_back({eControlKind::kEdit, kPortId, "", 0, 0, 1, 1, 0});
  EXPECT_EQ(cHeadlessWindow::Create(toolkit_, repeated, true), nullptr);
}

TEST_F(HeadlessWindowTest, UsersReachOnlyShownEnabledControls) {
  EXPECT_TRUE(Win().Click(kAutoLoginId));
  ASSERT_EQ(events_->commands.size(), 1u);
  EXPECT_EQ(events_->commands[0].event, eCommandEvent::kClicked);
  EXPECT_EQ(events_->commands[0].check, 1);  // toggled before the command

  EXPECT_FALSE(Win().Click(kDeleteId));  // hidden
  Win().Control(kAutoLoginId)->Enable(false);
  EXPECT_FALSE(Win().Click(kAutoLoginId));
  EXPECT_FALSE(Win().Click(kPortId));  // not a button
  EXPECT_EQ(events_->commands.size(), 1u);
  EXPECT_EQ(Win().Button(kAutoLoginId)->GetCheck(), 1);
}

TEST_F(HeadlessWindowTest, TypingAndChoosingNotifyTheWindow) {
  EXPECT_TRUE(Win().Type(kPortId, "8080"));
  EXPECT_TRUE(Win().Control(kPortId)->HasFocus());
  cComboBox* tray = Win().ComboBox(kTrayTypeId);
  EXPECT_EQ(tray->AddEntry("Static", 1), 0);
  EXPECT_EQ(tray->AddEntry("None", 0), 0);  // sorted, case-insensitive
  EXPECT_EQ(tray->AddEntry("flashing", 2), 0);
  EXPECT_EQ(tray->Selection(), -1);
  EXPECT_TRUE(Win().Choose(kTrayTypeId, 2));
  EXPECT_FALSE(Win().Choose(kTrayTypeId, 3));
  EXPECT_EQ(tray->EntryValue(tray->Selection()), 1u);
  EXPECT_STREQ(tray->Text().CStr(), "Static");
  ASSERT_EQ(events_->commands.size(), 2u);
  EXPECT_EQ(events_->commands[0].event, eCommandEvent::kTextChanged);
  EXPECT_EQ(events_->commands[1].event, eCommandEvent::kSelectionChanged);
  EXPECT_TRUE(tray->DeleteEntry(0));
  EXPECT_EQ(tray->Selection(), 1);  // the selected entry moved up
}

TEST_F(HeadlessWindowTest, EscapeHelpResizeAndContextMenusReachTheEvents) {
  Win().PressEscape();
  Win().PressHelp();
  Win().SetMinimumSize(300, 200);
  Win().ResizeTo(100, 500);
  EXPECT_TRUE(Win().RightClick(kNameId, cPoint{70, 80}));
  ASSERT_EQ(events_->commands.size(), 1u);
  EXPECT_EQ(events_->commands[0].id, kResultCancel);
  EXPECT_EQ(events_->helps, 1);
  ASSERT_EQ(events_->sizes.size(), 1u);
  EXPECT_EQ(events_->sizes[0], (std::pair<int32_t, int32_t>{300, 500}));
  ASSERT_EQ(events_->menus.size(), 1u);
  EXPECT_EQ(toolkit_.CursorPosition().y, 80);
}

TEST_F(HeadlessWindowTest, ModalRunsPlayTheQueuedScriptOrCancel) {
  toolkit_.QueueModalScript([](cHeadlessWindow& dialog) {
    EXPECT_TRUE(dialog.IsModalRunning());
    dialog.Type(kPortId, "1025");
    dialog.EndDialog(kResultOk);
  });
  EXPECT_EQ(Win().RunModal(), kResultOk);
  EXPECT_STREQ(Win().Control(kPortId)->Text().CStr(), "1025");
  EXPECT_FALSE(Win().IsVisible());
  EXPECT_EQ(Win().RunModal(), kResultCancel);  // nothing queued
}

TEST_F(HeadlessWindowTest, NumberFieldsShowTheRangeMessageAndKeepTheFocus) {
  cHeadlessMessageBox& box = toolkit_.HeadlessMessageBox();
  int32_t port = 0;
  Win().Type(kPortId, "70000");
  Win().Control(kAutoLoginId)->SetFocus();
  EXPECT_FALSE(ReadNumberField(*window_, kPortId, 0, 65535, box, &port));
  ASSERT_EQ(box.Shown().size(), 1u);
  EXPECT_STREQ(box.Shown()[0].text.CStr(), "Please enter an integer between 0 and 65535.");
  EXPECT_EQ(box.Shown()[0].icon, cMessageBoxIcon::kWarning);
  EXPECT_TRUE(Win().Control(kPortId)->HasFocus());
  Win().Type(kPortId, "8080");
  EXPECT_TRUE(ReadNumberField(*window_, kPortId, 0, 65535, box, &port));
  EXPECT_EQ(port, 8080);
  EXPECT_EQ(box.Shown().size(), 1u);
}

TEST(HeadlessToolkitTest, MessageBoxesMenusBeepsAndTheWaitCursor) {
  cHeadlessToolkit toolkit;
  cMessageBox& box = toolkit.MessageBox();
  // Unanswered boxes take the answer that changes nothing.
  EXPECT_EQ(box.Show("Sure?", "Confirm Pause", cMessageBoxIcon::kQuestion,
                     cMessageBoxButtons::kYesNo, nullptr),
            cMessageBoxAnswer::kNo);
  toolkit.HeadlessMessageBox().QueueAnswer(cMessageBoxAnswer::kYes);
  EXPECT_EQ(box.Show("Sure?", "Confirm Pause", cMessageBoxIcon::kQuestion,
                     cMessageBoxButtons::kYesNo, nullptr),
            cMessageBoxAnswer::kYes);
  EXPECT_EQ(box.Show(nullptr, nullptr, cMessageBoxIcon::kNone, cMessageBoxButtons::kOk, nullptr),
            cMessageBoxAnswer::kOk);
  EXPECT_EQ(toolkit.HeadlessMessageBox().Shown().size(), 3u);

  std::unique_ptr<cPopupMenu> menu = toolkit.CreatePopupMenu();
  menu->AppendItem(32776, "Show On Top");
  menu->AppendSeparator();
  menu->AppendItem(32777, "Create Separate Dialog");
  EXPECT_EQ(menu->ItemCount(), 3);
  EXPECT_EQ(menu->Track(cPoint{10, 20}), 0);  // dismissed
  toolkit.QueueMenuAnswer(32776);
  EXPECT_EQ(menu->Track(cPoint{10, 20}), 32776);
  menu->EnableItem(32777, false);
  toolkit.QueueMenuAnswer(32777);
  EXPECT_EQ(menu->Track(cPoint{10, 20}), 0);  // a disabled item cannot be chosen
  EXPECT_EQ(toolkit.MenusTracked(), 3);

  toolkit.Beep(eBeep::kDefault);
  EXPECT_EQ(toolkit.Beeps().size(), 1u);
  {
    cWaitCursor outer(toolkit);
    cWaitCursor inner(toolkit);
    EXPECT_EQ(toolkit.WaitCursorDepth(), 2);
  }
  EXPECT_EQ(toolkit.WaitCursorDepth(), 0);
  EXPECT_EQ(toolkit.CreateImageList(0, 16, 24), nullptr);
}

}  // namespace

namespace {

TEST(HeadlessWindowPressTest, PressReleaseSelectionAndDoubleClickReachTheEventsInOrder) {
  cHeadlessToolkit toolkit;
  cDialogLayout layout{.width = 100, .height = 100};
  layout.controls = {{eControlKind::kIconList, 10, "", 0, 0, 100, 80, 0},
                     Button(11, "Left", 0, 82, 30),
                     {eControlKind::kPushButton, 12, "Gone", 40, 82, 30, 14, kControlDisabled}};
  std::unique_ptr<cHeadlessWindow> window = cHeadlessWindow::Create(toolkit, layout, true);
  ASSERT_NE(window, nullptr);
  hv::test::cRecordingWindowEvents events;
  window->SetEvents(&events);
  cReportList* icons = window->ReportList(10);
  ASSERT_NE(icons, nullptr);
  icons->InsertColumn(0, "", 80);
  icons->InsertRow(0, "a", 0, 1);
  icons->InsertRow(1, "b", 1, 2);

  EXPECT_TRUE(window->Press(11));
  EXPECT_TRUE(window->Release(11));
  EXPECT_FALSE(window->Press(12));  // disabled: the user cannot reach it
  EXPECT_TRUE(window->SelectRows(10, {0, 1}));
  EXPECT_EQ(icons->NextSelected(-1), 0);
  EXPECT_EQ(icons->NextSelected(0), 1);
  EXPECT_TRUE(window->DoubleClickRow(10, 1));
  EXPECT_EQ(icons->NextSelected(-1), 1);
  EXPECT_FALSE(window->DoubleClickRow(10, 2));
  EXPECT_EQ(events.log, (std::vector<std::string>{"pressed 11", "released 11", "command 11 0",
                                                  "command 10 1", "command 10 1", "command 10 3"}));

  EXPECT_FALSE(window->IsAlwaysOnTop());
  window->SetAlwaysOnTop(true);
  EXPECT_TRUE(window->IsAlwaysOnTop());
}

}  // namespace

}  // namespace hv
