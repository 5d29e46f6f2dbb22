#include "tools/hvbridge/server_watch.h"

#include <ctime>

namespace hv::bridge {

void cServerWatch::Connected(uint32_t now, uint64_t blocks_received) {
  blocks_ = blocks_received;
  heard_at_ = now;
  asking_ = false;
}

cServerWatch::Verdict cServerWatch::Tick(uint32_t now, uint64_t blocks_received) {
  if (blocks_received != blocks_) {
    blocks_ = blocks_received;
    heard_at_ = now;
    asking_ = false;
    return Verdict::kFine;
  }
  if (asking_) return now - asked_at_ >= kDeadlineMs ? Verdict::kFrozen : Verdict::kFine;
  return now - heard_at_ >= kQuietMs ? Verdict::kAsk : Verdict::kFine;
}

void cServerWatch::Asked(uint32_t now) {
  asking_ = true;
  asked_at_ = now;
}

uint32_t RefusedLoginDelayMs(uint32_t refusals) {
  constexpr uint32_t kFirstMs = 30000;
  constexpr uint32_t kLongestMs = 30 * 60000;
  uint32_t delay = kFirstMs;
  for (uint32_t i = 1; i < refusals && delay < kLongestMs; ++i) delay *= 2;
  return delay < kLongestMs ? delay : kLongestMs;
}

bool AnotherDay(int64_t earlier, int64_t later) {
  if (earlier <= 0) return true;
  const time_t a = static_cast<time_t>(earlier);
  const time_t b = static_cast<time_t>(later);
  struct tm day_a;
  struct tm day_b;
  if (localtime_r(&a, &day_a) == nullptr || localtime_r(&b, &day_b) == nullptr) return false;
  return day_a.tm_year != day_b.tm_year || day_a.tm_yday != day_b.tm_yday;
}

}  // namespace hv::bridge
