#include "client/shell/desk/tab_arrangement.h"

#include <gtest/gtest.h>

#include "client/shell/desk/house_desk_layout.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/headless/headless_tab_control.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/views/testing/fixed_tabs.h"
#include "client/views/testing/recording_video_view.h"

namespace hv {

namespace {

class TabArrangementTest : public ::testing::Test {
 protected:
  // The window as the main window's initialisation leaves it: views, tabs, selection, top
  // view.
  void Open(const cArrangementChoices& choices = {}) {
    window_ = toolkit_.CreateTopLevelWindow(HouseDeskLayout(), nullptr);
    ASSERT_NE(window_, nullptr);
    arrangement_.Attach(*window_, choices);
    arrangement_.CreateFixedViews();
    arrangement_.InsertFixedTabs();
    arrangement_.EvaluateInitialSelection();
    arrangement_.TakeCurrentVideoViewFromTopName();
    EXPECT_TRUE(arrangement_.RecreateTopView().ok());
  }

  cHeadlessWindow& Window() { return static_cast<cHeadlessWindow&>(*window_); }
  cTabControl& Tabs() { return *window_->TabControl(desk::kTabControl); }
  cTabChildDlg* Tabbed(const char* name) { return arrangement_.Views().Find(name, kPlacementTab); }
  bool Visible(cTabChildDlg* view) { return view != nullptr && view->Window()->IsVisible(); }

  // The user selects a tab.
  void Select(int32_t index) { ASSERT_TRUE(Window().Choose(desk::kTabControl, index)); }
  // The user right-clicks a tab and chooses a command of the tab menu.
  void RightClickTab(int32_t index, int32_t command) {
    const cRect tabs = Tabs().Rect();
    const cRect frame = window_->WindowRect();
    toolkit_.QueueMenuAnswer(command);
    arrangement_.OnTabRightClick(
        cPoint{frame.left + tabs.left + index * cHeadlessTabControl::kTabWidth + 5,
               frame.top + tabs.top + 5});
  }
  void ClickOption(int32_t id) {
    cButton* box = window_->Button(id);
    box->SetCheck(box->GetCheck() ? 0 : 1);
    arrangement_.UpdateLayout();
    arrangement_.UpdateVisibility();
  }

  // Relays the window's tab selection to the arrangement, as the main window does.
  struct cRelay : cWindowEvents {
    cTabArrangement* arrangement = nullptr;
    void OnCommand(int32_t id, eCommandEvent event) override {
      if (id == desk::kTabControl && event == eCommandEvent::kSelectionChanged) {
        arrangement->OnSelectionChanged();
      }
    }
  };

  void SetUp() override {}
  void Relay() {
    relay_.arrangement = &arrangement_;
    window_->SetEvents(&relay_);
  }

  // The arrangement keeps its choices in the registry store: a store of the test's own.
  hv::test::cTemporaryUserFolders folders_;
  cHeadlessToolkit toolkit_;
  test::cRecordingVideoViewMaker factory_;
  std::unique_ptr<cWindow> window_;
  cTabArrangement arrangement_{toolkit_, factory_, nullptr};
  cRelay relay_;
};

TEST_F(TabArrangementTest, FixedTabsCarryTheirViewCodesAndTheSavedTabIsSelected) {
  cArrangementChoices choices;
  choices.current_tab_view = 2;  // Macros
  Open(choices);
  const char* captions[] = {"Activity Log", "Switches", "Sensors", "Macros", "Modes"};
  const cItemValue codes[] = {4, 0, 1, 2, 3};
  ASSERT_EQ(Tabs().TabCount(), 5);
  for (int32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(Tabs().TabCaption(i), captions[i]);
    EXPECT_EQ(Tabs().TabValue(i), codes[i]);
  }
  EXPECT_EQ(Tabs().Selection(), 3);
  // Exactly the selected tab's view is shown; the activity log is the default top view.
  EXPECT_TRUE(Visible(Tabbed("Macros")));
  EXPECT_FALSE(Visible(Tabbed("Switches")));
  EXPECT_FALSE(Visible(Tabbed("Activity Log")));
  ASSERT_NE(arrangement_.TopView(), nullptr);
  EXPECT_EQ(arrangement_.TopView()->Kind(), ViewKind::kActivityLog);
  EXPECT_EQ(arrangement_.TopView()->Placement(), kPlacementTop);
  EXPECT_TRUE(Visible(arrangement_.TopView()));
}

TEST_F(TabArrangementTest, VideoSourcesAddOneTabPerNameWithCodeFivePlusNumber) {
  Open();
  EXPECT_TRUE(arrangement_.AddVideoSource("Porch", 0).ok());
  EXPECT_TRUE(arrangement_.AddVideoSource("Garage", 3).ok());
  EXPECT_TRUE(
      arrangement_.AddVideoSource("Porch", 7).declined());  // a name seen already adds nothing
  const int32_t first_video = test::FixedTabCount();
  ASSERT_EQ(Tabs().TabCount(), first_video + 2);
  EXPECT_EQ(Tabs().TabValue(first_video), 5u);  // the stored codes: 5 plus the number
  EXPECT_EQ(Tabs().TabValue(first_video + 1), 8u);
  EXPECT_EQ(arrangement_.Views().Count(), 8);  // five fixed, two video, the top view
  EXPECT_EQ(arrangement_.CurrentVideoView(), Tabbed("Garage"));
  // A hostile source number does not wrap into the fixed tabs' codes.
  EXPECT_TRUE(arrangement_.AddVideoSource("Odd", 0xFFFFFFFFu).ok());
  EXPECT_GT(static_cast<int64_t>(Tabs().TabValue(first_video + 2)), 4);

  arrangement_.RemoveVideoTabs();
  EXPECT_EQ(Tabs().TabCount(), first_video);
  EXPECT_EQ(Tabbed("Porch"), nullptr);
  EXPECT_EQ(arrangement_.CurrentVideoView(), nullptr);
  EXPECT_EQ(arrangement_.Views().Count(), 6);
}

// The tab the window shows as selected and the page it shows always agree.
void ExpectShown(cTabArrangement& arrangement, cTabControl& tabs, const char* caption) {
  ASSERT_GE(tabs.Selection(), 0);
  EXPECT_EQ(tabs.TabCaption(tabs.Selection()), caption);
  int shown = 0;
  arrangement.Views().ForEach([&](cTabChildDlg& view) {
    if (view.Placement() != kPlacementTab || !view.Window()->IsVisible()) return;
    ++shown;
    EXPECT_EQ(view.Name(), caption);
  });
  EXPECT_EQ(shown, 1) << caption;
}

TEST_F(TabArrangementTest, ASavedVideoTabShowsTheLogUntilItsOwnTabArrives) {
  cArrangementChoices choices;
  choices.current_tab_view = test::VideoTabCode(1);
  Open(choices);
  Relay();
  ExpectShown(arrangement_, Tabs(), "Activity Log");
  EXPECT_EQ(arrangement_.Choices().current_tab_view, 6);  // still the choice to come back to

  // Sources arrive in any order; the tab of the saved code is chosen, not the last one.
  EXPECT_TRUE(arrangement_.AddVideoSource("Back Yard", 0).ok());
  ExpectShown(arrangement_, Tabs(), "Activity Log");
  EXPECT_TRUE(arrangement_.AddVideoSource("Front Porch", 1).ok());
  ExpectShown(arrangement_, Tabs(), "Front Porch");
  EXPECT_TRUE(arrangement_.AddVideoSource("Garage", 2).ok());
  ExpectShown(arrangement_, Tabs(), "Front Porch");
  EXPECT_EQ(arrangement_.CurrentTabView(), test::VideoTabCode(1));

  // The video tabs are rebuilt (a reconnect): the log stands in, then the same tab returns.
  arrangement_.RemoveVideoTabs();
  ExpectShown(arrangement_, Tabs(), "Activity Log");
  EXPECT_TRUE(arrangement_.AddVideoSource("Garage", 2).ok());
  EXPECT_TRUE(arrangement_.AddVideoSource("Front Porch", 1).ok());
  ExpectShown(arrangement_, Tabs(), "Front Porch");

  // A video tab the user selects shows its view at once.
  Select(test::FixedTabCount());  // the first video tab
  ExpectShown(arrangement_, Tabs(), "Garage");
}

TEST_F(TabArrangementTest, AnUnknownSavedTabFallsBackToTheLogAndTheUsersChoiceWins) {
  for (int32_t saved : {-3, 42}) {
    SCOPED_TRACE(saved);
    arrangement_.Detach();
    cArrangementChoices choices;
    choices.current_tab_view = saved;
    Open(choices);
    Relay();
    ExpectShown(arrangement_, Tabs(), "Activity Log");
    Select(test::TabIndexOfKind(Tabs(), ViewKind::kSwitches));
    ExpectShown(arrangement_, Tabs(), "Switches");
    EXPECT_EQ(arrangement_.Choices().current_tab_view, 0);
    // A source whose code happens to be the old saved one no longer takes the selection.
    EXPECT_TRUE(arrangement_.AddVideoSource("Porch", 37).ok());
    ExpectShown(arrangement_, Tabs(), "Switches");
    EXPECT_FALSE(Visible(Tabbed("Porch")));
    Select(test::TabIndexOfKind(Tabs(), ViewKind::kActivityLog));
    ExpectShown(arrangement_, Tabs(), "Activity Log");
  }
}

TEST_F(TabArrangementTest, NewVideoViewsOfOtherTabsStayHidden) {
  Open();
  Relay();
  EXPECT_TRUE(arrangement_.AddVideoSource("Porch", 0).ok());
  EXPECT_FALSE(Visible(Tabbed("Porch")));
  ExpectShown(arrangement_, Tabs(), "Switches");
  ClickOption(desk::kShowAdditionalInfo);  // an option change
  EXPECT_FALSE(Visible(Tabbed("Porch")));
  EXPECT_TRUE(arrangement_.RecreateTopView().ok());  // a top-view change
  ExpectShown(arrangement_, Tabs(), "Switches");
}

TEST_F(TabArrangementTest, ShowOnTopOfAnUnselectedVideoTabPutsTheSelectedSourceOnTop) {
  Open();
  Relay();
  EXPECT_TRUE(arrangement_.AddVideoSource("Porch", 0).ok());
  // Garage is numbered 2: source 1's code would equal the value before any right click.
  EXPECT_TRUE(arrangement_.AddVideoSource("Garage", 2).ok());
  Select(test::FixedTabCount());                                      // the user looks at Porch
  RightClickTab(test::FixedTabCount() + 1, desk::kShowOnTopCommand);  // and right-clicks Garage
  EXPECT_EQ(arrangement_.RightClickedTab(), test::VideoTabCode(2));
  cTabChildDlg* top = arrangement_.TopView();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->Kind(), ViewKind::kVideo);
  EXPECT_EQ(top->Name(), "Porch");
  EXPECT_EQ(arrangement_.CurrentVideoView(), Tabbed("Porch"));
  EXPECT_EQ(static_cast<test::cRecordingVideoView*>(top)->SharedView(), Tabbed("Porch"));
  EXPECT_EQ(arrangement_.Choices().top_kind, ViewKind::kVideo);
  EXPECT_EQ(arrangement_.Choices().top_name, "Porch");
  // The tabbed view of the selected tab rebuilds its thumbnails for the new top view.
  EXPECT_EQ(static_cast<test::cRecordingVideoView*>(Tabbed("Porch"))->Rebuilds(), 1);
}

TEST_F(TabArrangementTest, ASavedTopVideoViewSharesThePicturesOfItsTabOnceItArrives) {
  cArrangementChoices choices;
  choices.top_kind = ViewKind::kVideo;
  choices.top_name = "Garage";
  Open(choices);
  auto* top = static_cast<test::cRecordingVideoView*>(arrangement_.TopView());
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->SharedView(), nullptr);  // made at start, before any video tab
  EXPECT_TRUE(arrangement_.AddVideoSource("Porch", 0).ok());
  EXPECT_EQ(top->SharedView(), nullptr);
  EXPECT_TRUE(arrangement_.AddVideoSource("Garage", 1).ok());
  EXPECT_EQ(top->SharedView(), Tabbed("Garage"));
}

TEST_F(TabArrangementTest, ShowOnTopOfAFixedTabWithSplitViewOffTurnsSplitViewOn) {
  Open();
  ClickOption(desk::kSplitView);
  ASSERT_FALSE(arrangement_.SplitView());
  RightClickTab(test::TabIndexOfKind(Tabs(), ViewKind::kMacros), desk::kShowOnTopCommand);
  EXPECT_TRUE(arrangement_.SplitView());
  ASSERT_NE(arrangement_.TopView(), nullptr);
  EXPECT_EQ(arrangement_.TopView()->Kind(), ViewKind::kMacros);
  EXPECT_EQ(arrangement_.TopView()->Name(), "Macros");
  EXPECT_TRUE(Visible(arrangement_.TopView()));
  // "Create Separate Dialog" and a dismissed menu change nothing.
  cTabChildDlg* top = arrangement_.TopView();
  const int32_t switches = test::TabIndexOfKind(Tabs(), ViewKind::kSwitches);
  RightClickTab(switches, desk::kCreateSeparateDialogCommand);
  RightClickTab(switches, 0);
  EXPECT_EQ(arrangement_.TopView(), top);
}

TEST_F(TabArrangementTest, RightClickBesideTheTabsUsesTheCurrentTab) {
  Open();
  toolkit_.QueueMenuAnswer(desk::kShowOnTopCommand);
  const cRect tabs = Tabs().Rect();
  arrangement_.OnTabRightClick(cPoint{tabs.right - 2, tabs.top + 5});  // past the last tab
  EXPECT_EQ(arrangement_.RightClickedTab(), 0);
  EXPECT_EQ(arrangement_.TopView()->Name(), "Switches");
}

TEST_F(TabArrangementTest, SplitViewOffHidesTheTopViewWithoutDeletingIt) {
  Open();
  cTabChildDlg* top = arrangement_.TopView();
  const int32_t views = arrangement_.Views().Count();
  ClickOption(desk::kSplitView);
  EXPECT_EQ(arrangement_.TopView(), top);
  EXPECT_EQ(arrangement_.Views().Count(), views);
  EXPECT_FALSE(Visible(top));
  ClickOption(desk::kSplitView);
  EXPECT_EQ(arrangement_.TopView(), top);
  EXPECT_TRUE(Visible(top));
}

TEST_F(TabArrangementTest, SplitViewGivesTheTopPaneHalfTheFreeHeight) {
  Open();
  const cRect top = arrangement_.TopView()->Window()->WindowRect();
  const cRect tabs = Tabs().Rect();
  // Pane at 7 du (14 px), gap between panes 2 du (4 px).
  EXPECT_EQ(top.top, 14);
  EXPECT_EQ(top.Height(), (tabs.bottom - 14 - 4) / 2);
  EXPECT_EQ(tabs.top, top.bottom + 4);

  ClickOption(desk::kSplitView);
  EXPECT_EQ(Tabs().Rect().top, 14);  // the tab control takes all the free height
  EXPECT_EQ(Tabs().Rect().bottom, tabs.bottom);
}

TEST_F(TabArrangementTest, HiddenRowsGiveTheirSpaceToTheTabControl) {
  Open();
  const cRect tabs = Tabs().Rect();
  const cRect message = window_->Control(desk::kAddLogMessage)->Rect();
  ClickOption(desk::kShowAdditionalInfo);
  EXPECT_FALSE(window_->Control(desk::kServerTimeText)->IsVisible());
  EXPECT_FALSE(window_->Control(desk::kConnectionText)->IsVisible());
  EXPECT_TRUE(window_->Control(desk::kAddLogMessage)->IsVisible());
  // The user message row stays at the bottom; everything above moves down into the space.
  EXPECT_EQ(window_->Control(desk::kAddLogMessage)->Rect(), message);
  EXPECT_GT(Tabs().Rect().bottom, tabs.bottom);

  ClickOption(desk::kAllowUserLogMessages);
  EXPECT_FALSE(window_->Control(desk::kAddLogMessage)->IsVisible());
  EXPECT_FALSE(window_->Control(desk::kLogMessageText)->IsVisible());
}

TEST_F(TabArrangementTest, ResizingKeepsTheButtonColumnAndPictureAtTheRight) {
  Open();
  const cRect client = window_->ClientRect();
  const cRect exit = window_->Control(desk::kExit)->Rect();
  const cRect picture = window_->Control(desk::kWebsite)->Rect();
  Window().ResizeTo(client.Width() + 100, client.Height() + 60);
  arrangement_.OnResized(client.Width() + 100, client.Height() + 60);
  EXPECT_EQ(window_->Control(desk::kExit)->Rect().left, exit.left + 100);
  EXPECT_EQ(window_->Control(desk::kExit)->Rect().top, exit.top);
  EXPECT_EQ(window_->Control(desk::kWebsite)->Rect().left, picture.left + 100);
  EXPECT_EQ(window_->Control(desk::kWebsite)->Rect().bottom, picture.bottom + 60);
  EXPECT_EQ(window_->Control(desk::kWebsite)->Rect().Width(), picture.Width());
  // The tabbed views fill the tab control's page area.
  EXPECT_EQ(Tabbed("Switches")->Window()->WindowRect(), Tabs().DisplayArea());

  // Never smaller than the first layout.
  Window().ResizeTo(10, 10);
  EXPECT_EQ(window_->ClientRect().Width(), client.Width());
  EXPECT_EQ(window_->ClientRect().Height(), client.Height());
}

TEST_F(TabArrangementTest, PictureShrinksInProportionWhenTheColumnLeavesTooLittleHeight) {
  Open();
  const cDeskLayoutMetrics& metrics = arrangement_.Metrics();
  const cRect mute = window_->Control(desk::kMute)->Rect();
  const cRect full = metrics.PictureRect(888, 600);
  EXPECT_EQ(full.Width(), 78);
  EXPECT_EQ(full.Height(), 84);
  // Bottom margin 6 du (12 px); 41 px of room left below the Mute box.
  const cRect small = metrics.PictureRect(888, mute.bottom + 12 + 41);
  EXPECT_EQ(small.Height(), 41);
  EXPECT_EQ(small.Width(), 38);  // 78 * 41 / 84 = 38.07
  EXPECT_EQ(small.top, mute.bottom);
}

}  // namespace

}  // namespace hv
