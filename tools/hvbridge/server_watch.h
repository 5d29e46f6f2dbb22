// cServerWatch: whether the server still answers. A server that is stopped (SIGSTOP, a hung
// process, a computer asleep behind a live router) keeps its socket open and takes bytes, so
// only a request it must answer tells: after kQuietMs without a block from it the bridge asks
// for the server time, and a server that has said nothing kDeadlineMs after that is frozen.
// Together at most 25 s (plus one tick) from the last block to the verdict.
//
// It also says when to ask for dawn and dusk again: the server answers them for one day,
// so they are asked again when the server's clock reaches another local day.
#ifndef HV_TOOLS_HVBRIDGE_SERVER_WATCH_H_
#define HV_TOOLS_HVBRIDGE_SERVER_WATCH_H_

#include <cstdint>

namespace hv::bridge {

class cServerWatch {
 public:
  static constexpr uint32_t kQuietMs = 10000;
  static constexpr uint32_t kDeadlineMs = 15000;

  enum class Verdict { kFine, kAsk, kFrozen };

  // A new connection: `now` counts as heard.
  void Connected(uint32_t now, uint64_t blocks_received);
  // Called on every tick with the connection's count of blocks received. kAsk: send the
  // request now (the caller then reports Asked). kFrozen: the connection is to be dropped.
  Verdict Tick(uint32_t now, uint64_t blocks_received);
  void Asked(uint32_t now);

 private:
  uint64_t blocks_ = 0;
  uint32_t heard_at_ = 0;
  bool asking_ = false;
  uint32_t asked_at_ = 0;
};

// How long to wait before logging in again after the server turned the login down `refusals`
// times in a row: 30 s, doubling to 30 minutes. A wrong password tried at the pace of a lost
// connection fills the server's log and may lock the account.
uint32_t RefusedLoginDelayMs(uint32_t refusals);

// Whether `later` (server seconds) falls on another local day than `earlier`; true when
// `earlier` is unknown (0).
bool AnotherDay(int64_t earlier, int64_t later);

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_SERVER_WATCH_H_
