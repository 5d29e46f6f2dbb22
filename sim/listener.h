// Listening TCP sockets for housesim: the clients' port and the console's control port.
#ifndef HV_SIM_LISTENER_H_
#define HV_SIM_LISTENER_H_

#include <cstdint>
#include <string>

#include "core/status.h"

namespace hv::sim {

// Listens on host:port (an empty host: every address), non-blocking, and gives the descriptor
// and the port bound, which differs from `port` when that is 0. Ok, or kCannotConnect
// (Where::kSim) with the reason in its message.
Status OpenListener(const std::string& host, uint16_t port, int* listen_fd, uint16_t* bound);

}  // namespace hv::sim

#endif  // HV_SIM_LISTENER_H_
