// cReconnectSchedule: when a connection is looked at sooner than its two-minute
// liveness check. A connection known to be lost (the server said Goodbye or closed its end)
// is tried again 2, 5, 10, 30 and 60 s after the loss, so a restarted server costs seconds;
// after the last try the two-minute check carries on alone. A wake of the computer (resume
// from suspend, a network that came back) asks for a check at the next tick.
//
// Times are the clock's tick counts; intervals are taken by unsigned subtraction, so the
// tick count's wrap does not matter. Whatever keeps a connection (the desktop's main frame)
// owns one and asks it on every tick.
#ifndef HV_CLIENT_PROTOCOL_RECONNECT_SCHEDULE_H_
#define HV_CLIENT_PROTOCOL_RECONNECT_SCHEDULE_H_

#include <cstddef>
#include <cstdint>

namespace hv {

class cReconnectSchedule {
 public:
  // The tries after a loss, measured from the loss.
  static constexpr uint32_t kRetryAfterMs[] = {2000, 5000, 10000, 30000, 60000};
  static constexpr size_t kRetryCount = sizeof(kRetryAfterMs) / sizeof(kRetryAfterMs[0]);
  // A loss this soon after the previous one continues that series (each try waiting longer)
  // instead of starting a new one, so a server that takes each login and then drops it is
  // not hammered forever.
  static constexpr uint32_t kSeriesMemoryMs = 120000;

  // The connection was found lost at `now`.
  void ConnectionLost(uint32_t now);
  // Check at the next opportunity; with `retry`, a check that finds no connection is
  // followed by the quick tries, counted from now.
  void CheckSoon(uint32_t now, bool retry);
  // A check (or a try) is due at `now`.
  bool Due(uint32_t now) const;
  // A due check has run: a connection ends the series, otherwise the next try waits.
  void Checked(uint32_t now, bool connected);
  // Forgets everything (the connection was made some other way).
  void Reset();

  // Tries of the current series still to come (0: only the two-minute check remains).
  size_t TriesLeft() const { return series_ ? kRetryCount - next_ : 0; }
  bool CheckPending() const { return soon_; }

 private:
  bool soon_ = false;
  bool series_ = false;
  uint32_t since_ = 0;  // the loss the series counts from
  size_t next_ = 0;     // index of the next try in kRetryAfterMs
  bool lost_before_ = false;
  uint32_t last_loss_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_RECONNECT_SCHEDULE_H_
