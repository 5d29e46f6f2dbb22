// cProtocolContext: the protocol's program-wide state, owned in one place (the application
// object owns one; each test builds its own): the beginning and sending flags that keep
// re-entered requests apart, HeardFromServer, the clock, the transfer notice that the main
// window shows as its activity mark, and the pause hook used while waiting on a flag.
#ifndef HV_CLIENT_PROTOCOL_PROTOCOL_CONTEXT_H_
#define HV_CLIENT_PROTOCOL_PROTOCOL_CONTEXT_H_

#include <cstdint>
#include <functional>
#include <utility>

namespace hv {

class cClock;

// What the connection is doing right now: ">" while sending, "<" while receiving.
enum class cTransferState { kIdle, kSending, kReceiving };

class cProtocolContext {
 public:
  // The clock is not owned and must outlive the context.
  explicit cProtocolContext(cClock& clock) : clock_(clock) {}
  cProtocolContext(const cProtocolContext&) = delete;
  cProtocolContext& operator=(const cProtocolContext&) = delete;

  cClock& Clock() const { return clock_; }

  // Beginning flag: set while a message is being composed or sent (BeginMessage until its
  // final SendBlock), so a request started from a nested event fails at once. Taking it and
  // every step of the message touch it; BeginningIdleMs says how long ago that was, which
  // lets a composer that vanished without ending its message be told from one at work.
  bool Beginning() const { return beginning_ != 0; }
  void SetBeginning(bool on);
  void TouchBeginning();
  uint32_t BeginningIdleMs() const;

  // Sending flag: set while one block is being written to a socket.
  bool Sending() const { return sending_ != 0; }
  void SetSending(bool on) { sending_ = on ? 1 : 0; }

  // Set whenever a block has been received completely or a reconnect succeeded; cleared by
  // the liveness check. The main window shows "Not Connected" while it is 0.
  uint16_t HeardFromServer() const { return heard_from_server_; }
  void SetHeardFromServer(uint16_t value) { heard_from_server_ = value ? 1 : 0; }
  // A whole block has arrived: HeardFromServer is set and the count goes up. The count
  // tells a caller whether the server has said anything since it last looked (a connection
  // that may have died while the computer slept still takes sends without complaint).
  void BlockReceived() {
    heard_from_server_ = 1;
    ++blocks_received_;
  }
  uint32_t BlocksReceived() const { return blocks_received_; }

  // The main window installs a notice to show the activity mark; none is fine.
  void SetTransferNotice(std::function<void(cTransferState)> notice) {
    transfer_notice_ = std::move(notice);
  }
  void NotifyTransfer(cTransferState state) const {
    if (transfer_notice_) transfer_notice_(state);
  }

  // Pause runs pending events for about ms milliseconds. The program installs its event
  // loop's pump; tests install one that advances their fake clock. Without a hook a pause
  // returns at once (waits are also bounded by a count of pauses, so none can spin forever).
  void SetPauseHook(std::function<void(uint32_t ms)> pause) { pause_ = std::move(pause); }
  void Pause(uint32_t ms) const {
    if (pause_) pause_(ms);
  }

 private:
  cClock& clock_;
  uint16_t beginning_ = 0;
  uint32_t beginning_touched_ = 0;
  uint16_t sending_ = 0;
  uint16_t heard_from_server_ = 0;
  uint32_t blocks_received_ = 0;
  std::function<void(cTransferState)> transfer_notice_;
  std::function<void(uint32_t)> pause_;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_PROTOCOL_CONTEXT_H_
