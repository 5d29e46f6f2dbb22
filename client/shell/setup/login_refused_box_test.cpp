#include "client/shell/setup/login_refused_box.h"

#include <gtest/gtest.h>

#include "client/platform/poll_event_loop.h"
#include "client/platform/testing/fake_clock.h"
#include "client/ui/headless/headless_toolkit.h"

namespace hv {

namespace {

class LoginRefusedBoxTest : public ::testing::Test {
 protected:
  LoginRefusedBoxTest()
      : box_(hv::cLoginRefusedServices{.toolkit = &toolkit_,
                                       .event_loop = &loop_,
                                       .connection_busy = [this] { return busy_; },
                                       .ending = [this] { return ending_; },
                                       .open_setup = [this] { ++setups_; }}) {}

  size_t Shown() {
    for (int i = 0; i < 5; ++i) loop_.Pump(0);
    return toolkit_.HeadlessMessageBox().Shown().size();
  }

  cHeadlessToolkit toolkit_;
  cFakeClock clock_;
  cPollEventLoop loop_{clock_};
  bool busy_ = false;
  bool ending_ = false;
  int setups_ = 0;
  hv::cLoginRefusedBox box_;
};

TEST_F(LoginRefusedBoxTest, OneBoxForARunOfRefusalsAndAgainAfterASessionThatWasTaken) {
  box_.ConnectionEnded(false);
  EXPECT_EQ(Shown(), 0u);
  // The refusal is told once the socket is free, never from inside its wait.
  busy_ = true;
  box_.ConnectionEnded(true);
  EXPECT_EQ(Shown(), 0u);
  busy_ = false;
  ASSERT_EQ(Shown(), 1u);
  EXPECT_EQ(toolkit_.HeadlessMessageBox().Shown()[0].buttons, cMessageBoxButtons::kYesNo);
  EXPECT_EQ(setups_, 0);  // answered No
  // The liveness check tries again with the same settings: no nagging.
  box_.ConnectionEnded(true);
  EXPECT_EQ(Shown(), 1u);
  // A session the server took, then a refusal: a new box, and Yes opens Setup.
  box_.ConnectionEnded(false);
  toolkit_.HeadlessMessageBox().QueueAnswer(cMessageBoxAnswer::kYes);
  box_.ConnectionEnded(true);
  EXPECT_EQ(Shown(), 2u);
  EXPECT_EQ(setups_, 1);
  // What the user set up there deserves its own box when it is refused too.
  box_.ConnectionEnded(true);
  EXPECT_EQ(Shown(), 3u);
}

TEST_F(LoginRefusedBoxTest, NoBoxOnceTheProgramIsEnding) {
  box_.ConnectionEnded(true);
  ending_ = true;
  EXPECT_EQ(Shown(), 0u);
  box_.ConnectionEnded(true);
  EXPECT_EQ(Shown(), 0u);
}

}  // namespace

}  // namespace hv
