#include "client/platform/poll_event_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"

namespace hv {

namespace {

TEST(PollEventLoop, TimersFollowTheClockAndCanStopThemselves) {
  cFakeClock clock;
  cPollEventLoop loop(clock);
  int ticks = 0;
  int once = 0;
  cEventLoop::TimerId every = loop.StartTimer(500, [&] { ++ticks; });
  cEventLoop::TimerId single = 0;
  single = loop.StartTimer(100, [&] {
    ++once;
    loop.StopTimer(single);  // stopping itself from its own callback is safe
  });
  loop.Pump(0);
  EXPECT_EQ(ticks, 0);
  clock.Advance(499);
  loop.Pump(0);
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(once, 1);
  clock.Advance(1);
  loop.Pump(0);
  EXPECT_EQ(ticks, 1);
  // Missed periods are not replayed.
  clock.Advance(5000);
  loop.Pump(0);
  loop.Pump(0);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(once, 1);
  loop.StopTimer(every);
  EXPECT_EQ(loop.TimerCount(), 0u);
}

TEST(PollEventLoop, TimersSurviveTheTickCountWrapping) {
  cFakeClock clock;
  clock.SetTickCount(0xFFFFFF00u);
  cPollEventLoop loop(clock);
  int ticks = 0;
  loop.StartTimer(0x200, [&] { ++ticks; });
  clock.Advance(0x100);
  loop.Pump(0);
  EXPECT_EQ(ticks, 0);
  clock.Advance(0x100);
  loop.Pump(0);
  EXPECT_EQ(ticks, 1);
}

TEST(PollEventLoop, WatchesReportReadabilityUntilPausedOrRemoved) {
  cFakeClock clock;
  cPollEventLoop loop(clock);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  int calls = 0;
  cEventLoop::WatchId watch = loop.WatchReadable(fds[0], [&] { ++calls; });
  loop.Pump(0);
  EXPECT_EQ(calls, 0);
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  loop.Pump(0);
  loop.Pump(0);
  EXPECT_EQ(calls, 2);  // level-triggered: unread bytes report again
  loop.SetWatchEnabled(watch, false);
  loop.Pump(0);
  EXPECT_EQ(calls, 2);
  loop.SetWatchEnabled(watch, true);
  loop.Pump(0);
  EXPECT_EQ(calls, 3);
  // A watch that removes itself from its callback.
  loop.RemoveWatch(watch);
  watch = loop.WatchReadable(fds[0], [&] {
    ++calls;
    loop.RemoveWatch(watch);
  });
  loop.Pump(0);
  loop.Pump(0);
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(loop.WatchCount(), 0u);
  close(fds[0]);
  close(fds[1]);
}

TEST(PollEventLoop, RetiredThingsLiveUntilTheLoopIsBackAtItsTop) {
  cFakeClock clock;
  cPollEventLoop loop(clock);
  std::vector<std::string> released;
  struct cNoted {
    std::vector<std::string>* log;
    ~cNoted() { log->push_back("object"); }
  };
  auto object = std::make_unique<cNoted>();
  object->log = &released;
  loop.StartTimer(10, [&] {
    // Inside a pass: a wait's pump and the things it retires.
    loop.Retire([&] {
      released.push_back("first");
      loop.Retire([&] { released.push_back("second"); });  // a release that retires more
    });
    if (object != nullptr) loop.Retire(std::move(object));
    EXPECT_EQ(loop.PassDepth(), 1);
  });
  clock.Advance(10);
  loop.Pump(0);
  EXPECT_TRUE(released.empty());  // a Pump may run inside a wait: it never releases
  EXPECT_EQ(loop.RetiredCount(), 2u);
  EXPECT_EQ(loop.PassDepth(), 0);
  loop.ReleaseRetired();
  EXPECT_EQ(released, (std::vector<std::string>{"first", "object", "second"}));
  EXPECT_EQ(loop.RetiredCount(), 0u);
}

}  // namespace

}  // namespace hv
