// Views replaced while one of their own calls waits: the wait runs the event loop, and the
// loop may run the very event that replaces the view (a rebuild of the split view's top
// pane, a reconnect). The view must stay whole until the loop is back at its top, and the
// call that waited must stop without touching it. Run under the sanitizers, a view freed
// too early shows as a use after free.
#include <gtest/gtest.h>

#include <utility>

#include "client/platform/poll_event_loop.h"
#include "client/platform/testing/fake_clock.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/tab_child_dlg_list.h"
#include "client/views/testing/item_view_test_support.h"
#include "client/views/testing/video_view_test_support.h"
#include "client/views/video/dlg_zirer.h"
#include "client/views/video/dlg_zirer_layout.h"

namespace hv {

namespace {

using hv::test::Switch;

TEST(ViewRetirementTest, ATopPaneReplacedWhileItsCheckIsSentIsLeftAloneUntilTheLoopIsBack) {
  cFakeClock clock;
  cPollEventLoop loop(clock);
  hv::test::cItemViewHarness<CDlgChildSwitches> h(SwitchesViewLayout(), kPlacementTop);
  ASSERT_TRUE(h.created.ok());
  h.Refresh();
  ASSERT_EQ(h.view->AddSwitch(Switch("Porch", 2)).code(), 0);
  cTabChildDlgList views;
  views.SetRetirement(&loop);
  cTabChildDlg* top = views.Add(std::move(h.view));
  const hv::cLifetime::cWatch watch = top->LifeWatch();

  // The send fails, and while it waits the user puts another view into the top pane.
  h.requests.result = hv::kSendFailed;
  bool replaced = false;
  h.requests.while_sending = [&] {
    if (std::exchange(replaced, true)) return;
    EXPECT_TRUE(views.Delete(top));
    views.Add(std::make_unique<CDlgChildSwitches>(kPlacementTop, cItemViewServices{}));
  };
  auto* list = static_cast<cHeadlessReportList*>(top->Window()->ReportList(kSwitchListId));
  list->ClickAt(cPoint{cHeadlessReportList::kCheckBoxInset + 4,
                       list->RowTop(0) + cHeadlessReportList::kRowHeight / 2});

  ASSERT_EQ(h.requests.sent.size(), 2u);
  EXPECT_FALSE(watch.Alive());
  // The replaced view says nothing about a send it no longer speaks for.
  EXPECT_TRUE(h.owner.entries.empty());
  EXPECT_EQ(views.Count(), 1);
  EXPECT_EQ(views.RetiredCount(), 1u);
  EXPECT_FALSE(top->Window()->IsVisible());
  // The loop back at its top frees it.
  EXPECT_EQ(loop.RetiredCount(), 1u);
  loop.ReleaseRetired();
  EXPECT_EQ(views.RetiredCount(), 0u);
  EXPECT_EQ(loop.RetiredCount(), 0u);
}

class VideoRetirementTest : public hv::test::VideoViewTest {
 protected:
  void Add(CDlgChildVideo& view, const char* path, uint32_t when) {
    const cBitmap picture = hv::test::Plain(0xFF0000);
    ASSERT_EQ(
        view.AddThumbnail(hv::test::Thumb(view.Name().CStr(), path, when), &picture, 2).code(), 0);
  }
  static void SelectAll(CDlgChildVideo& view) {
    for (int32_t row = 0; row < Icons(view).RowCount(); ++row) Icons(view).SetSelected(row, true);
  }
};

TEST_F(VideoRetirementTest, DisplayAsksForEverySelectedPictureWhileTheStoreChangesUnderIt) {
  auto view = MakeView("Front Door");
  Add(*view, "a.jpg", 1700000001);
  Add(*view, "b.jpg", 1700000002);
  SelectAll(*view);
  // A thumbnail arriving during the first request drops the oldest record; during the
  // second a reconnect clears the store.
  int sends = 0;
  requests_.while_sending = [&] {
    if (++sends == 1) Add(*view, "c.jpg", 1700000003);
    if (sends == 2) store_.Clear();
  };
  view->OnCommand(video::kDisplay, eCommandEvent::kClicked);
  ASSERT_EQ(requests_.full_pictures.size(), 2u);
  EXPECT_EQ(requests_.full_pictures[0].path, "b.jpg");
  EXPECT_EQ(requests_.full_pictures[1].path, "a.jpg");
  EXPECT_EQ(requests_.full_pictures[1].time_stamp, 1700000001u);
}

TEST_F(VideoRetirementTest, AVideoViewRetiredDuringAFullPictureRequestStopsThere) {
  cTabChildDlgList views;
  views.SetRetirement(&loop_);
  auto* view = static_cast<CDlgChildVideo*>(views.Add(MakeView("Front Door")));
  Add(*view, "a.jpg", 1700000001);
  Add(*view, "b.jpg", 1700000002);
  SelectAll(*view);
  requests_.result = hv::kSendFailed;
  requests_.while_sending = [&] {
    store_.Clear();
    EXPECT_EQ(views.DeleteNamed("Front Door"), 1);  // the views are rebuilt after a reconnect
  };
  view->OnCommand(video::kDisplay, eCommandEvent::kClicked);
  EXPECT_EQ(requests_.full_pictures.size(), 1u);
  EXPECT_TRUE(owner_.entries.empty());
  loop_.ReleaseRetired();
  EXPECT_EQ(views.RetiredCount(), 0u);
}

TEST_F(VideoRetirementTest, TheCameraDialogsHeldPanStopsWhenItsViewIsRetiredOrTheProgramIsBusy) {
  cTabChildDlgList views;
  views.SetRetirement(&loop_);
  bool busy = false;
  cVideoViewServices services = Services();
  services.is_busy = [&busy] { return busy; };
  auto made = std::make_unique<CDlgChildVideo>(kPlacementTab, services);
  made->SetOwner(&owner_);
  made->SetName("Front Door");
  ASSERT_TRUE(made->Create(toolkit_, VideoViewLayout(), *host_, 0).ok());
  auto* view = static_cast<CDlgChildVideo*>(views.Add(std::move(made)));
  ASSERT_TRUE(view->OpenZirer().ok());
  CDlgZirer* camera = view->Zirer();
  auto* dialog = static_cast<cHeadlessWindow*>(camera->Window());
  ASSERT_TRUE(dialog->Press(zirer::kLeft));
  ASSERT_TRUE(dialog->Press(zirer::kUp));

  busy = true;  // the program's own timer work is running
  camera->OnTimer();
  EXPECT_TRUE(requests_.motions.empty());
  busy = false;

  // A reconnect during the first pan's send rebuilds the views: the second is not sent, and
  // neither the dialog nor its view is freed under the timer.
  bool rebuilt = false;
  requests_.while_sending = [&] {
    if (std::exchange(rebuilt, true)) return;
    EXPECT_EQ(views.DeleteNamed("Front Door"), 1);
    camera->OnTimer();  // the timer comes round again inside the wait
  };
  camera->OnTimer();
  EXPECT_EQ(requests_.motions.size(), 1u);
  camera->OnTimer();  // a retired view's dialog sends nothing more
  EXPECT_EQ(requests_.motions.size(), 1u);
  loop_.ReleaseRetired();
  EXPECT_EQ(views.RetiredCount(), 0u);
}

}  // namespace

}  // namespace hv
