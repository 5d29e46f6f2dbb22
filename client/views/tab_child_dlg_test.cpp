#include "client/views/tab_child_dlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "client/protocol/log_item_record.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/ui/layout_rows.h"
#include "client/views/tab_child_dlg_list.h"
#include "client/views/tab_child_owner.h"
#include "client/views/testing/host_window.h"
#include "client/views/title_label.h"

namespace hv {

namespace {

constexpr int32_t kListId = 1012;
constexpr int32_t kAddButtonId = 1013;

// A list view as the views lay theirs out: title, list, and side buttons on the right.
cDialogLayout ListViewLayout() {
  cDialogLayout layout{.resource_id = 199, .width = 300, .height = 150};
  layout.controls = {
      Label(kTitleLabelId, "Switches", 5, 3, 100),
      {eControlKind::kReportList, kListId, "", 5, 14, 230, 130, 0},
      Button(kAddButtonId, "&Add", 240, 14, 50),
  };
  return layout;
}

// Every field of an entry as one value, so a test compares whole entries and a failure
// shows them side by side.
auto Fields(const LogItemRecord& r) {
  return std::make_tuple(r.entry_type, std::string(r.name.CStr()), std::string(r.message.CStr()),
                         std::string(r.path.CStr()), r.function_code, r.value, r.extra,
                         std::string(r.date_text.CStr()), std::string(r.time_text.CStr()),
                         r.detail1, r.detail2);
}

struct cShownEntry {
  LogItemRecord entry;
  bool has_item;
};

class cRecordingOwner : public cTabChildOwner {
 public:
  hv::Status ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) override {
    shown.push_back(cShownEntry{entry, item != nullptr});
    return hv::Status::Ok();
  }
  void SettingsNotSaved(const Status& /*failure*/) override {}
  std::vector<cShownEntry> shown;
};

class cTestView : public cTabChildDlg {
 public:
  // Steps are recorded outside the view, so a test can read them after it is destroyed.
  cTestView(int32_t placement, std::vector<const char*>* steps)
      : cTabChildDlg(ViewKind::kSwitches, placement), steps(*steps) {}
  ~cTestView() override { DestroyWindow(); }
  // Nothing feeds it: the tests drive the framework's own steps.
  ViewFeeds Feeds() override { return {static_cast<cSwitchesFeed*>(nullptr)}; }

  void Fail(const char* message) { ReportSendFailure(message); }

  std::vector<const char*>& steps;

 protected:
  Status OnInitDialog() override {
    steps.push_back("init");
    StyleTitleLabel(*Window());
    SetLayoutList(kListId);
    return ListLayout().Measure(*Window(), kListId, kAddButtonId);
  }
  void ReleaseRows() override {
    steps.push_back("release");
    Window()->ReportList(kListId)->DeleteAllRows();
  }
  void SaveSettings() override { steps.push_back("save"); }
};

class TabChildDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = hv::test::MakeHostWindow(toolkit_, 400, 300,
                                     {{eControlKind::kTabControl, 1449, "", 7, 104, 369, 117, 0}});
  }

  cHeadlessToolkit toolkit_;
  std::unique_ptr<cWindow> main_;
};

TEST_F(TabChildDlgTest, CreateInitialisesAndStylesTheTitle) {
  std::vector<const char*> steps;
  cTestView view(kPlacementTab, &steps);
  EXPECT_TRUE(view.Create(toolkit_, ListViewLayout(), *main_, 1449).ok());
  ASSERT_NE(view.Window(), nullptr);
  EXPECT_EQ(view.Kind(), ViewKind::kSwitches);
  EXPECT_EQ(view.Placement(), kPlacementTab);
  EXPECT_EQ(view.Window()->Control(kTitleLabelId)->TextColour(), RgbColour(128, 0, 0));
  EXPECT_EQ(view.Window()->Control(kListId)->TextColour(), kDefaultColour);
  ASSERT_EQ(steps.size(), 1u);
}

TEST_F(TabChildDlgTest, AWindowThatCannotBeMadeLeavesNoWindow) {
  std::vector<const char*> steps;
  cTestView view(kPlacementTab, &steps);
  EXPECT_TRUE(view.Create(toolkit_, ListViewLayout(), *main_, 4242)  // no such host
                  .Is(Where::kUi, hv::kNotFound));
  EXPECT_EQ(view.Window(), nullptr);
  view.MoveChild(cRect{0, 0, 10, 10}, true);  // harmless without a window
  view.ShowChild(true);
  view.CloseChild(0);
}

TEST_F(TabChildDlgTest, LayoutKeepsTheMeasuredTopOffsetAndRightStrip) {
  std::vector<const char*> steps;
  cTestView view(kPlacementTab, &steps);
  ASSERT_TRUE(view.Create(toolkit_, ListViewLayout(), *main_, 1449).ok());
  // Measured in pixels (2 per dialog unit): margin 600-480, top 28, gap 480-470.
  view.MoveChild(cRect{0, 0, 800, 500}, true);
  EXPECT_EQ(view.Window()->WindowRect(), (cRect{0, 0, 800, 500}));
  EXPECT_EQ(view.Window()->Control(kListId)->Rect(), (cRect{0, 28, 800 - 130, 500}));
  const cRect given{10, 20, 410, 220};
  view.LayoutChild(&given);
  EXPECT_EQ(view.Window()->Control(kListId)->Rect(), (cRect{10, 48, 410 - 130, 220}));
  // Squeezed narrower than the strip: an empty list, never an inverted one.
  view.MoveChild(cRect{0, 0, 100, 20}, false);
  const cRect squeezed = view.Window()->Control(kListId)->Rect();
  EXPECT_GE(squeezed.Width(), 0);
  EXPECT_GE(squeezed.Height(), 0);
}

TEST_F(TabChildDlgTest, CloseReleasesRowsSavesOnlyWithASizeAndEndsWithTheResult) {
  std::vector<const char*> steps;
  cTestView view(kPlacementTab, &steps);
  ASSERT_TRUE(view.Create(toolkit_, ListViewLayout(), *main_, 1449).ok());
  view.Window()->ReportList(kListId)->InsertColumn(0, "Status", 45);
  view.Window()->ReportList(kListId)->InsertRow(0, "On", 0, 0);
  view.ShowChild(true);
  EXPECT_TRUE(view.Window()->IsVisible());
  view.CloseChild(7);
  EXPECT_EQ(view.Window()->ReportList(kListId)->RowCount(), 0);
  EXPECT_EQ(dynamic_cast<cHeadlessWindow*>(view.Window())->Result(), 7);
  EXPECT_FALSE(view.Window()->IsVisible());
  EXPECT_EQ(steps, (std::vector<const char*>{"init", "release", "save"}));

  std::vector<const char*> unsized_steps;
  cTestView unsized(kPlacementTop, &unsized_steps);
  ASSERT_TRUE(unsized.Create(toolkit_, ListViewLayout(), *main_, 0).ok());
  unsized.MoveChild(cRect{5, 5, 5, 100}, false);
  unsized.CloseChild(0);
  EXPECT_EQ(unsized_steps, (std::vector<const char*>{"init", "release"}));
}

TEST_F(TabChildDlgTest, SendFailureIsAnUnstoredErrorEntry) {
  std::vector<const char*> steps;
  cTestView view(kPlacementTab, &steps);
  view.Fail("Get macros command not sent successfully");  // no owner yet: nowhere to show
  cRecordingOwner owner;
  view.SetOwner(&owner);
  view.Fail("Set switch status not sent successfully");
  ASSERT_EQ(owner.shown.size(), 1u);
  // The client's own Error entry about the connection, with no date or time: the activity
  // log stamps the moment it shows the entry.
  const LogItemRecord expected =
      MakeClientError("Connection is lost", "Set switch status not sent successfully");
  EXPECT_EQ(Fields(owner.shown[0].entry), Fields(expected));
  EXPECT_FALSE(owner.shown[0].has_item);
}

TEST_F(TabChildDlgTest, DestroyingAViewReleasesAndSavesWhileItStillExists) {
  std::vector<const char*> steps;
  {
    cTestView view(kPlacementTab, &steps);
    ASSERT_TRUE(view.Create(toolkit_, ListViewLayout(), *main_, 1449).ok());
    view.MoveChild(cRect{0, 0, 300, 200}, false);
    steps.clear();
  }
  EXPECT_EQ(steps, (std::vector<const char*>{"release", "save"}));
}

}  // namespace

}  // namespace hv
