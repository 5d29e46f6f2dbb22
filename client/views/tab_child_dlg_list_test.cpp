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
  cCountedView(ViewKind kind, int32_t placement, const char* name, int32_t* alive)
      : cTabChildDlg(kind, placement), alive_(alive) {
    SetName(name);
    ++*alive_;
  }
  ~cCountedView() override { --*alive_; }
  // The list's walks never look at feeds.
  ViewFeeds Feeds() override { return {static_cast<cVideoFeed*>(nullptr)}; }

 private:
  int32_t* alive_;
};

class TabChildDlgListTest : public ::testing::Test {
 protected:
  cTabChildDlg* Add(ViewKind kind, int32_t placement, const char* name) {
    return views_.Add(std::make_unique<cCountedView>(kind, placement, name, &alive_));
  }

  int32_t alive_ = 0;
  cTabChildDlgList views_;
};

TEST_F(TabChildDlgListTest, FindsByExactNameAndPlacement) {
  cTabChildDlg* tab = Add(ViewKind::kSwitches, kPlacementTab, "Switches");
  cTabChildDlg* top = Add(ViewKind::kSwitches, kPlacementTop, "Switches");
  Add(ViewKind::kVideo, kPlacementTab, "Porch");
  EXPECT_EQ(views_.Find("Switches", kPlacementTab), tab);
  EXPECT_EQ(views_.Find("Switches", kPlacementTop), top);
  EXPECT_EQ(views_.Find("Switches", 0), tab);
  EXPECT_EQ(views_.Find("switches", 0), nullptr);  // case matters
  EXPECT_EQ(views_.Find("Porch", kPlacementTop), nullptr);
  EXPECT_EQ(views_.Count(), 3);
  EXPECT_EQ(views_.Add(nullptr), nullptr);
}

TEST_F(TabChildDlgListTest, DeletesByNameAndDestroysTheViews) {
  Add(ViewKind::kVideo, kPlacementTab, "Porch");
  Add(ViewKind::kVideo, kPlacementTop, "Porch");
  cTabChildDlg* garage = Add(ViewKind::kVideo, kPlacementTab, "Garage");
  EXPECT_EQ(views_.DeleteNamed("Porch"), 2);
  EXPECT_EQ(alive_, 1);
  EXPECT_TRUE(views_.Contains(garage));
  EXPECT_TRUE(views_.Delete(garage));
  EXPECT_FALSE(views_.Delete(garage));
  EXPECT_EQ(alive_, 0);
  EXPECT_EQ(views_.Count(), 0);
}

TEST_F(TabChildDlgListTest, ViewsDeletedDuringAWalkAreSkippedAndOutliveTheCall) {
  cTabChildDlg* first = Add(ViewKind::kSwitches, kPlacementTab, "Switches");
  cTabChildDlg* second = Add(ViewKind::kSwitches, kPlacementTop, "Switches");
  std::vector<cTabChildDlg*> visited;
  views_.ForEach([&](cTabChildDlg& view) {
    visited.push_back(&view);
    if (&view == first) {
      // A handler that rebuilds the top pane from inside the fan-out.
      EXPECT_TRUE(views_.Delete(second));
      EXPECT_TRUE(views_.Delete(first));
      EXPECT_EQ(alive_, 2);  // still on this stack
      EXPECT_EQ(view.Kind(), ViewKind::kSwitches);
      Add(ViewKind::kSwitches, kPlacementTop, "Switches");
    }
  });
  EXPECT_EQ(visited, (std::vector<cTabChildDlg*>{first}));
  EXPECT_EQ(alive_, 1);
  EXPECT_EQ(views_.Count(), 1);
  EXPECT_NE(views_.Find("Switches", kPlacementTop), nullptr);
}

TEST_F(TabChildDlgListTest, DeleteAllDuringAWalkEndsCleanly) {
  Add(ViewKind::kModes, kPlacementTab, "Modes");
  Add(ViewKind::kMacros, kPlacementTab, "Macros");
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
  cTabChildDlg* first = Add(ViewKind::kSwitches, kPlacementTop, "Switches");
  Add(ViewKind::kMacros, kPlacementTab, "Macros");
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
    other.Add(std::make_unique<cCountedView>(ViewKind::kVideo, kPlacementTab, "Door", &alive_));
    other.DeleteAll();
    EXPECT_EQ(alive_, 1);
  }
  EXPECT_EQ(alive_, 0);
  loop.ReleaseRetired();
}

}  // namespace

}  // namespace hv
