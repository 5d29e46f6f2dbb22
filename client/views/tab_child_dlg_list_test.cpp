#include "client/views/tab_child_dlg_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "client/platform/poll_event_loop.h"
#include "client/platform/testing/fake_clock.h"

namespace hv {

namespace {

class cCountedView : public cTabChildDlg {
 public:
  cCountedView(int32_t kind, int32_t placement, const char* name, int32_t* alive)
      : cTabChildDlg(kind, placement), alive_(alive) {
    SetName(name);
    ++*alive_;
  }
  ~cCountedView() override { --*alive_; }

 private:
  int32_t* alive_;
};

class TabChildDlgListTest : public ::testing::Test {
 protected:
  cTabChildDlg* Add(int32_t kind, int32_t placement, const char* name) {
    return views_.Add(std::make_unique<cCountedView>(kind, placement, name, &alive_));
  }

  int32_t alive_ = 0;
  cTabChildDlgList views_;
};

TEST_F(TabChildDlgListTest, FindsByExactNameAndPlacement) {
  cTabChildDlg* tab = Add(kViewSwitches, kPlacementTab, "Switches");
  cTabChildDlg* top = Add(kViewSwitches, kPlacementTop, "Switches");
  Add(kViewVideo, kPlacementTab, "Porch");
  EXPECT_EQ(views_.Find("Switches", kPlacementTab), tab);
  EXPECT_EQ(views_.Find("Switches", kPlacementTop), top);
  EXPECT_EQ(views_.Find("Switches", 0), tab);
  EXPECT_EQ(views_.Find("switches", 0), nullptr);  // case matters
  EXPECT_EQ(views_.Find("Porch", kPlacementTop), nullptr);
  EXPECT_EQ(views_.Count(), 3);
  EXPECT_EQ(views_.Add(nullptr), nullptr);
}

TEST_F(TabChildDlgListTest, DeletesByNameAndDestroysTheViews) {
  Add(kViewVideo, kPlacementTab, "Porch");
  Add(kViewVideo, kPlacementTop, "Porch");
  cTabChildDlg* garage = Add(kViewVideo, kPlacementTab, "Garage");
  EXPECT_EQ(views_.DeleteNamed("Porch"), 2);
  EXPECT_EQ(alive_, 1);
  EXPECT_TRUE(views_.Contains(garage));
  EXPECT_TRUE(views_.Delete(garage));
  EXPECT_FALSE(views_.Delete(garage));
  EXPECT_EQ(alive_, 0);
  EXPECT_EQ(views_.Count(), 0);
}

TEST_F(TabChildDlgListTest, FanOutByKindVisitsInOrderAdded) {
  Add(kViewActivityLog, kPlacementTab, "Activity Log");
  Add(kViewSwitches, kPlacementTab, "Switches");
  Add(kViewActivityLog, kPlacementTop, "Activity Log");
  std::vector<int32_t> placements;
  views_.ForEachOfKind(kViewActivityLog,
                       [&](cTabChildDlg& view) { placements.push_back(view.Placement()); });
  EXPECT_EQ(placements, (std::vector<int32_t>{kPlacementTab, kPlacementTop}));
}

TEST_F(TabChildDlgListTest, ViewsDeletedDuringAWalkAreSkippedAndOutliveTheCall) {
  cTabChildDlg* first = Add(kViewSwitches, kPlacementTab, "Switches");
  cTabChildDlg* second = Add(kViewSwitches, kPlacementTop, "Switches");
  std::vector<cTabChildDlg*> visited;
  views_.ForEach([&](cTabChildDlg& view) {
    visited.push_back(&view);
    if (&view == first) {
      // A handler that rebuilds the top pane from inside the fan-out.
      EXPECT_TRUE(views_.Delete(second));
      EXPECT_TRUE(views_.Delete(first));
      EXPECT_EQ(alive_, 2);  // still on this stack
      EXPECT_EQ(view.Kind(), kViewSwitches);
      Add(kViewSwitches, kPlacementTop, "Switches");
    }
  });
  EXPECT_EQ(visited, (std::vector<cTabChildDlg*>{first}));
  EXPECT_EQ(alive_, 1);
  EXPECT_EQ(views_.Count(), 1);
  EXPECT_NE(views_.Find("Switches", kPlacementTop), nullptr);
}

TEST_F(TabChildDlgListTest, DeleteAllDuringAWalkEndsCleanly) {
  Add(kViewModes, kPlacementTab, "Modes");
  Add(kViewMacros, kPlacementTab, "Macros");
  int32_t calls = 0;
  views_.ForEach([&](cTabChildDlg&) {
    ++calls;
    views_.DeleteAll();
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(alive_, 0);
  EXPECT_EQ(views_.Count(), 0);
}

TEST_F(TabChildDlgListTest, WithALoopDeletedViewsAreRetiredUntilTheLoopReleasesThem) {
  cFakeClock clock;
  cPollEventLoop loop(clock);
  views_.SetRetirement(&loop);
  cTabChildDlg* first = Add(kViewSwitches, kPlacementTop, "Switches");
  Add(kViewMacros, kPlacementTab, "Macros");
  EXPECT_TRUE(views_.Delete(first));
  EXPECT_TRUE(first->Retired());
  EXPECT_EQ(views_.Count(), 1);
  EXPECT_FALSE(views_.Contains(first));
  loop.Pump(0);  // a pass of the loop may be the one a wait runs: nothing is freed there
  EXPECT_EQ(alive_, 2);
  loop.ReleaseRetired();
  EXPECT_EQ(alive_, 1);

  // Ending the retirement frees what waits at once; a list that goes first leaves the
  // loop's release nothing to reach.
  EXPECT_EQ(views_.DeleteNamed("Macros"), 1);
  EXPECT_EQ(alive_, 1);
  views_.SetRetirement(nullptr);
  EXPECT_EQ(alive_, 0);
  {
    cTabChildDlgList other;
    other.SetRetirement(&loop);
    other.Add(std::make_unique<cCountedView>(kViewVideo, kPlacementTab, "Door", &alive_));
    other.DeleteAll();
    EXPECT_EQ(alive_, 1);
  }
  EXPECT_EQ(alive_, 0);
  loop.ReleaseRetired();
}

}  // namespace

}  // namespace hv
