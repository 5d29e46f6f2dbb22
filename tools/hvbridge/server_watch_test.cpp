#include "tools/hvbridge/server_watch.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tools/hvbridge/refusal_log.h"

namespace hv::bridge {
namespace {

using Verdict = cServerWatch::Verdict;

// Ticks every half second from `from` to `to` with no block arriving; the first verdict
// that is not kFine, and when.
std::pair<Verdict, uint32_t> QuietUntil(cServerWatch& watch, uint32_t from, uint32_t to,
                                        uint64_t blocks) {
  for (uint32_t now = from; now <= to; now += 500) {
    const Verdict verdict = watch.Tick(now, blocks);
    if (verdict == Verdict::kAsk) watch.Asked(now);
    if (verdict == Verdict::kFrozen) return {verdict, now};
  }
  return {Verdict::kFine, to};
}

TEST(ServerWatchTest, AFrozenServerIsFoundWithinThirtySeconds) {
  cServerWatch watch;
  // The tick count wraps after 49 days; the watch only ever subtracts.
  const uint32_t start = 0xFFFFF000u;
  watch.Connected(start, 7);
  EXPECT_EQ(watch.Tick(start + 9500, 7), Verdict::kFine);
  EXPECT_EQ(watch.Tick(start + 10000, 7), Verdict::kAsk);
  watch.Asked(start + 10000);
  EXPECT_EQ(watch.Tick(start + 24500, 7), Verdict::kFine);
  EXPECT_EQ(watch.Tick(start + 25000, 7), Verdict::kFrozen);
  // A server that answers the question is fine, and is asked again only after quiet.
  watch.Connected(start, 7);
  EXPECT_EQ(watch.Tick(start + 10000, 7), Verdict::kAsk);
  watch.Asked(start + 10000);
  EXPECT_EQ(watch.Tick(start + 10500, 8), Verdict::kFine);
  EXPECT_EQ(watch.Tick(start + 20000, 8), Verdict::kFine);
  EXPECT_EQ(watch.Tick(start + 20500, 8), Verdict::kAsk);
  // A busy server is never asked; one that falls silent at any moment is found in 30 s.
  for (uint32_t silent_from : {0u, 3000u, 9999u, 60000u}) {
    watch.Connected(0, 0);
    uint64_t blocks = 0;
    for (uint32_t now = 0; now < silent_from; now += 500) {
      EXPECT_EQ(watch.Tick(now, ++blocks), Verdict::kFine);
    }
    const auto [verdict, when] = QuietUntil(watch, silent_from, silent_from + 60000, blocks);
    EXPECT_EQ(verdict, Verdict::kFrozen);
    EXPECT_LE(when - silent_from, 30000u) << silent_from;
  }
}

TEST(ServerWatchTest, RefusedLoginsSlowDownAndDawnIsAskedOnANewDay) {
  EXPECT_EQ(RefusedLoginDelayMs(1), 30000u);
  EXPECT_EQ(RefusedLoginDelayMs(2), 60000u);
  EXPECT_EQ(RefusedLoginDelayMs(7), 30u * 60000u);
  EXPECT_EQ(RefusedLoginDelayMs(1000), 30u * 60000u);
  setenv("TZ", "UTC", 1);
  const int64_t noon = 1796040000;  // 2026-12-01 12:00 UTC
  EXPECT_TRUE(AnotherDay(0, noon));
  EXPECT_FALSE(AnotherDay(noon, noon + 11 * 3600));
  EXPECT_TRUE(AnotherDay(noon, noon + 12 * 3600));
  EXPECT_TRUE(AnotherDay(noon, noon + 400 * 86400));
}

TEST(RefusalLogTest, AFloodIsOneLineASecondWithACount) {
  cRefusalLog log;
  EXPECT_EQ(log.Line(1000, "refused a"), "refused a");
  int lines = 0;
  for (uint32_t i = 0; i < 20000; ++i) lines += !log.Line(1000 + i / 20, "refused b").empty();
  EXPECT_EQ(lines, 0);  // 20,000 more in the same second
  EXPECT_EQ(log.Line(2000, "refused c"), "refused c (and 20000 more refused since the last)");
  EXPECT_EQ(log.Line(2999, "refused d"), "");
  EXPECT_EQ(log.Line(9000, "refused e"), "refused e (and 1 more refused since the last)");
  EXPECT_EQ(log.Line(9000 + 1000, "refused f"), "refused f");
}

}  // namespace
}  // namespace hv::bridge
