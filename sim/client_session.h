// ClientSession: what the server knows about one connected client: its socket, the bytes it
// has sent that do not yet form a block, the request being assembled, its login, whether its
// log feed is on, and the bytes waiting to be written to it.
#ifndef HV_SIM_CLIENT_SESSION_H_
#define HV_SIM_CLIENT_SESSION_H_

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "sim/block_framer.h"
#include "sim/stream_faults.h"

namespace hv::sim {

struct ClientSession {
  // A client that does not read is cut off rather than let its backlog grow without end.
  static constexpr size_t kMaxBacklog = 32u << 20;

  uint64_t id = 0;
  int fd = -1;
  std::string peer;  // "address:port"
  BlockFramer framer;
  RequestAssembler assembler;

  bool logged_in = false;
  std::string user;
  bool log_feed = false;
  // Log items of a console flood still to be queued, and how many were queued so far: a
  // flood is composed as the client reads it, so it can be longer than any backlog.
  uint64_t flood_left = 0;
  uint64_t flood_queued = 0;

  std::vector<uint8_t> out;  // bytes to write, from out_start on
  size_t out_start = 0;
  uint64_t bytes_written = 0;  // answer bytes sent so far (for --cut-after)
  uint64_t bytes_queued = 0;   // every byte ever queued; block offsets count from here
  uint64_t next_write_ms = 0;  // with trickling or a stall: not before this moment
  // Random stalls and drops still ahead in the stream, in stream order.
  std::deque<StreamInterruption> interruptions;

  // Once the backlog is written the sending side is shut down and the rest the client sends
  // is read and dropped until it closes (closing with unread data would reset the
  // connection and could destroy the Goodbye before the client reads it).
  bool close_when_flushed = false;
  bool draining = false;
  uint64_t drain_deadline_ms = 0;
  bool dead = false;  // to be closed at the end of this round

  size_t Backlog() const { return out.size() - out_start; }
  std::string Label() const {
    return "client " + std::to_string(id) + (user.empty() ? std::string() : " (" + user + ")");
  }
};

}  // namespace hv::sim

#endif  // HV_SIM_CLIENT_SESSION_H_
