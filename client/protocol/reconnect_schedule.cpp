#include "client/protocol/reconnect_schedule.h"

namespace hv {

void cReconnectSchedule::ConnectionLost(uint32_t now) {
  const bool recent = lost_before_ && now - last_loss_ < kSeriesMemoryMs;
  lost_before_ = true;
  last_loss_ = now;
  // A loss soon after the last one carries on where that series stopped, each try waiting
  // longer; one after a quiet while starts again from the shortest wait.
  if (!recent) next_ = 0;
  series_ = next_ < kRetryCount;
  since_ = now;
}

void cReconnectSchedule::CheckSoon(uint32_t now, bool retry) {
  soon_ = true;
  if (retry) {
    series_ = true;
    since_ = now;
    next_ = 0;
  }
}

bool cReconnectSchedule::Due(uint32_t now) const {
  if (soon_) return true;
  return series_ && next_ < kRetryCount && now - since_ >= kRetryAfterMs[next_];
}

void cReconnectSchedule::Checked(uint32_t now, bool connected) {
  soon_ = false;
  // The try that just ran is used up, and so are those whose time a slow try (a connect
  // that waited) let pass.
  while (series_ && next_ < kRetryCount && now - since_ >= kRetryAfterMs[next_]) ++next_;
  // Where the series stood is kept for a loss that follows soon.
  if (connected || next_ >= kRetryCount) series_ = false;
}

void cReconnectSchedule::Reset() { *this = cReconnectSchedule(); }

}  // namespace hv
