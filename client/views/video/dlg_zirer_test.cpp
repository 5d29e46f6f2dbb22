#include "client/views/video/dlg_zirer.h"

#include <gtest/gtest.h>

#include "client/picture/bitmap.h"
#include "client/ui/headless/headless_button.h"
#include "client/ui/window_controls.h"
#include "client/views/testing/video_view_test_support.h"
#include "client/views/video/dlg_zirer_layout.h"
#include "client/views/video/zirer_arrows.h"

namespace hv {

namespace {

class ZirerTest : public hv::test::VideoViewTest {
 protected:
  void SetUp() override {
    view_ = MakeView("Front Door");
    ASSERT_TRUE(view_->OpenZirer().ok());
    dialog_ = static_cast<cHeadlessWindow*>(view_->Zirer()->Window());
  }
  // Moves time on by `ms` in steps of 10 ms, running the timers that come due.
  void Hold(uint32_t ms) {
    for (uint32_t done = 0; done < ms; done += 10) {
      clock_.Advance(10);
      loop_.Pump(0);
    }
  }
  std::vector<uint32_t> Codes() const {
    std::vector<uint32_t> codes;
    for (const auto& motion : requests_.motions) codes.push_back(motion.code);
    return codes;
  }

  std::unique_ptr<CDlgChildVideo> view_;
  cHeadlessWindow* dialog_ = nullptr;
};

TEST_F(ZirerTest, EachButtonSendsItsMotionCodeAndProgramSendsTheStoringCodeOnce) {
  const struct {
    int32_t id;
    uint32_t code;
    uint32_t program_code;
  } buttons[] = {{zirer::kCenter, 4, 14}, {zirer::kSweep, 5, 15}, {zirer::kPos1, 6, 10},
                 {zirer::kPos2, 7, 11},   {zirer::kPos3, 8, 12},  {zirer::kPos4, 9, 13}};
  for (const auto& button : buttons) {
    requests_.motions.clear();
    ASSERT_TRUE(dialog_->Click(zirer::kProgram));
    ASSERT_TRUE(dialog_->Click(button.id));
    EXPECT_FALSE(IsChecked(*dialog_, zirer::kProgram));
    ASSERT_TRUE(dialog_->Click(button.id));
    EXPECT_EQ(Codes(), (std::vector<uint32_t>{button.program_code, button.code})) << button.id;
    for (const auto& motion : requests_.motions) {
      EXPECT_EQ(motion.source, "Front Door");
      EXPECT_EQ(motion.repeat, 1u);
    }
  }
}

TEST_F(ZirerTest, HoldingAnArrowPansEveryTickAndItsReleaseAddsNone) {
  ASSERT_TRUE(dialog_->Press(zirer::kLeft));
  Hold(1000);
  ASSERT_TRUE(dialog_->Release(zirer::kLeft));
  EXPECT_GE(requests_.motions.size(), 9u);
  EXPECT_LE(requests_.motions.size(), 10u);
  for (const auto& motion : requests_.motions) {
    EXPECT_EQ(motion.code, 0u);
    EXPECT_EQ(motion.repeat, 1u);
  }
  // Released: the timer stops panning.
  const size_t sent = requests_.motions.size();
  Hold(500);
  EXPECT_EQ(requests_.motions.size(), sent);
}

TEST_F(ZirerTest, AShortClickPansExactlyOnce) {
  Hold(50);  // a click starting anywhere in the timer's period
  ASSERT_TRUE(dialog_->Press(zirer::kRight));
  Hold(60);
  ASSERT_TRUE(dialog_->Release(zirer::kRight));
  ASSERT_EQ(requests_.motions.size(), 1u);
  EXPECT_EQ(requests_.motions[0].code, 1u);
  // Well after the timer's last pan, a click pans again.
  Hold(300);
  ASSERT_TRUE(dialog_->Click(zirer::kRight));
  EXPECT_EQ(Codes(), (std::vector<uint32_t>{1, 1}));
  ASSERT_TRUE(dialog_->Click(zirer::kUp));
  ASSERT_TRUE(dialog_->Click(zirer::kDown));
  EXPECT_EQ(Codes(), (std::vector<uint32_t>{1, 1, 2, 3}));
}

TEST_F(ZirerTest, WithoutAConnectionNothingIsSentOrLogged) {
  requests_.connected = false;
  for (int32_t id : {zirer::kCenter, zirer::kSweep, zirer::kPos1, zirer::kLeft, zirer::kUp}) {
    ASSERT_TRUE(dialog_->Click(id));
  }
  ASSERT_TRUE(dialog_->Press(zirer::kDown));
  Hold(300);
  ASSERT_TRUE(dialog_->Release(zirer::kDown));
  EXPECT_TRUE(requests_.motions.empty());
  EXPECT_TRUE(owner_.entries.empty());
}

TEST_F(ZirerTest, AMotionThatIsNotSentIsReportedWithItsOwnMessage) {
  requests_.result = hv::kSendFailed;
  ASSERT_TRUE(dialog_->Click(zirer::kLeft));
  ASSERT_TRUE(dialog_->Click(zirer::kProgram));
  ASSERT_TRUE(dialog_->Click(zirer::kPos1));
  ASSERT_EQ(owner_.entries.size(), 2u);
  EXPECT_EQ(owner_.entries[0],
            "3 Connection is lost: Video motion pan left command not sent successfully");
  EXPECT_NE(owner_.entries[1].find("not sent successfully"), std::string::npos);
}

TEST_F(ZirerTest, AlwaysOnTopFollowsItsBoxAndHideReleasesHeldArrows) {
  EXPECT_FALSE(dialog_->IsAlwaysOnTop());
  ASSERT_TRUE(dialog_->Click(zirer::kAlwaysOnTop));
  EXPECT_TRUE(dialog_->IsAlwaysOnTop());
  const cRect before = dialog_->WindowRect();
  ASSERT_TRUE(dialog_->Click(zirer::kAlwaysOnTop));
  EXPECT_FALSE(dialog_->IsAlwaysOnTop());
  EXPECT_EQ(dialog_->WindowRect(), before);

  ASSERT_TRUE(dialog_->Press(zirer::kUp));
  dialog_->PressEscape();  // the close box and Escape hide it as "Hide" does
  EXPECT_FALSE(dialog_->IsVisible());
  EXPECT_EQ(view_->Settings().show_zirer, 0);
  EXPECT_EQ(view_->Zirer()->Arrow(kZirerUp).Held(), 0);
  Hold(300);
  EXPECT_TRUE(requests_.motions.empty());
  // "&Zirer" shows the same dialog again.
  ASSERT_TRUE(Window(*view_).Click(video::kZirer));
  EXPECT_EQ(static_cast<cHeadlessWindow*>(view_->Zirer()->Window()), dialog_);
  EXPECT_TRUE(dialog_->IsVisible());
  EXPECT_EQ(view_->Settings().show_zirer, 1);
}

TEST_F(ZirerTest, TheArrowsShowTheirPicturesAndTheTimerStopsWithTheDialog) {
  const int32_t ids[] = {zirer::kLeft, zirer::kRight, zirer::kUp, zirer::kDown};
  for (int32_t direction = 0; direction < 4; ++direction) {
    auto* button = static_cast<cHeadlessButton*>(dialog_->Control(ids[direction]));
    cBitmap arrow;
    ASSERT_TRUE(DrawZirerArrow(direction, &arrow));
    ASSERT_EQ(button->Picture().Width(), kZirerArrowSize);
    // Each points its own way: its tip's side is inked, the opposite edge's middle is not.
    EXPECT_EQ(button->Picture().PixelAt(12, 12), arrow.PixelAt(12, 12));
  }
  cBitmap left, right;
  ASSERT_TRUE(DrawZirerArrow(kZirerLeft, &left));
  ASSERT_TRUE(DrawZirerArrow(kZirerRight, &right));
  // Off the middle row only the wide end is inked.
  EXPECT_NE(PixelAlpha(left.PixelAt(18, 7)), 0u);
  EXPECT_EQ(PixelAlpha(left.PixelAt(5, 7)), 0u);
  EXPECT_NE(PixelAlpha(right.PixelAt(5, 7)), 0u);
  EXPECT_EQ(PixelAlpha(right.PixelAt(18, 7)), 0u);
  EXPECT_FALSE(DrawZirerArrow(4, &left));

  const size_t timers = loop_.TimerCount();
  view_.reset();
  EXPECT_EQ(loop_.TimerCount(), timers - 1);
}

}  // namespace

}  // namespace hv
