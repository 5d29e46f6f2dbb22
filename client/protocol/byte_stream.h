// cByteStream: the byte pipe that a cSocketMessageChannel reads and writes through. The
// socket realises it over a TCP descriptor (poll() plus the event-loop pump hook, so the
// window keeps working while a read waits); cMemoryByteStream realises it for tests.
#ifndef HV_CLIENT_PROTOCOL_BYTE_STREAM_H_
#define HV_CLIENT_PROTOCOL_BYTE_STREAM_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class cByteStream {
 public:
  virtual ~cByteStream() = default;

  // Sends all n bytes (the realisation waits, pumping events, while the peer is slow): ok
  // once all have gone, else a failure (kSendFailed), after which part of them may have gone.
  [[nodiscard]] virtual Status Send(const uint8_t* data, uint32_t n) = 0;

  // Receives up to n bytes into data without waiting, their count in *received: ok when at
  // least one came, declined (count 0) when none has arrived yet, a failure (kReceiveFailed,
  // count 0) when the stream has failed or the peer has closed it, i.e. no more bytes can
  // ever arrive.
  [[nodiscard]] virtual Status Receive(uint8_t* data, uint32_t n, uint32_t* received) = 0;

  // Waits up to ms milliseconds for bytes to become readable, running pending events
  // meanwhile. Returns early when bytes are there (or the stream has failed); the caller
  // then tries Receive again and measures time with its own clock.
  virtual void WaitReadable(uint32_t ms) = 0;

  // Looks at the stream without consuming anything: ok when at least one byte can be read
  // now, declined when none has arrived, a failure when the stream has failed or the peer
  // closed it.
  [[nodiscard]] virtual Status PeekByte() = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_BYTE_STREAM_H_
