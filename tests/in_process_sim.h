// housesim run in-process on the test's own thread: the client's code and the server take
// turns, so a test needs no threads and no real waits.
#ifndef HV_TESTS_IN_PROCESS_SIM_H_
#define HV_TESTS_IN_PROCESS_SIM_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "client/platform/poll_event_loop.h"
#include "sim/house.h"
#include "sim/house_file.h"
#include "sim/options.h"
#include "sim/server.h"
#include "sim/sim_clock.h"

namespace hv {

namespace test {

// The client's event loop, which gives the server (while there is one) a round before every
// pump: a client that waits for an answer lets the server write it.
class cServerDrivenLoop : public cPollEventLoop {
 public:
  explicit cServerDrivenLoop(const cClock& clock, hv::sim::Server* serving = nullptr)
      : cPollEventLoop(clock), server(serving) {}
  void Pump(uint32_t wait_ms) override {
    if (server != nullptr) server->RunOnce(0);
    // A pump inside a pump is the client waiting on the server in the middle of handling
    // something: where a test lets the user or a timer act.
    if (depth_ > 0 && inside_wait) inside_wait();
    ++depth_;
    cPollEventLoop::Pump(wait_ms);
    --depth_;
  }

  hv::sim::Server* server;
  std::function<void()> inside_wait;

 private:
  int depth_ = 0;
};

// The demo house served on 127.0.0.1:port (0: a free one), without the operator's console,
// on a clock of its own that a test moves. A test can stop it and start another on the same
// port, where the client expects it.
struct cSimServer {
  explicit cSimServer(uint16_t port = 0)
      : options(Listening(port)),
        house(hv::sim::DemoHouse(), clock, options.log_capacity),
        server(house, clock, options,
               [this](const std::string& line) { log_lines.push_back(line); }) {
    if (const hv::Status started = server.Start(); !started.ok()) {
      start_error = started.message();
      log_lines.push_back("start failed: " + start_error);
    }
  }
  static hv::sim::Options Listening(uint16_t port) {
    hv::sim::Options options;
    options.listen_host = "127.0.0.1";
    options.listen_port = port;
    options.console = false;
    return options;
  }

  bool Logged(const std::string& text) const {
    for (const std::string& line : log_lines) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  // How many logins the server has accepted.
  size_t Logins() const {
    size_t count = 0;
    for (const std::string& line : log_lines) count += line.find("accepted") != std::string::npos;
    return count;
  }

  hv::sim::FakeSimClock clock;
  hv::sim::Options options;
  hv::sim::House house;
  std::vector<std::string> log_lines;
  std::string start_error;  // empty while the server listens
  hv::sim::Server server;
};

}  // namespace test

}  // namespace hv

#endif  // HV_TESTS_IN_PROCESS_SIM_H_
