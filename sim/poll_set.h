// PollSet: the descriptors of one round of the server's loop, each with what to do when
// poll() finds it ready, so every part of the server adds its own without the loop knowing
// what they are.
#ifndef HV_SIM_POLL_SET_H_
#define HV_SIM_POLL_SET_H_

#include <poll.h>

#include <functional>
#include <utility>
#include <vector>

namespace hv::sim {

class PollSet {
 public:
  using Handler = std::function<void(short revents)>;

  void Add(int fd, short events, Handler on_ready) {
    fds_.push_back({fd, events, 0});
    handlers_.push_back(std::move(on_ready));
  }
  // Waits up to timeout_ms; the result of poll().
  int Wait(int timeout_ms) { return poll(fds_.data(), fds_.size(), timeout_ms); }
  // Runs the handler of every descriptor the last Wait found ready, in the order added.
  void Dispatch() {
    for (size_t i = 0; i < fds_.size(); ++i) {
      if (fds_[i].revents != 0) handlers_[i](fds_[i].revents);
    }
  }

 private:
  std::vector<pollfd> fds_;
  std::vector<Handler> handlers_;
};

}  // namespace hv::sim

#endif  // HV_SIM_POLL_SET_H_
