// ConsoleInputs: where housesim's console commands come from: inputs read line by line (stdin
// in the program), the connections of the optional control port, and other watched
// descriptors (the program's signal descriptor). Each line goes to the command runner and its
// reply back to where the line came from.
#ifndef HV_SIM_CONSOLE_INPUTS_H_
#define HV_SIM_CONSOLE_INPUTS_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/status.h"
#include "sim/poll_set.h"

namespace hv::sim {

class ConsoleInputs {
 public:
  using RunCommand = std::function<std::string(const std::string& line)>;
  using LogSink = std::function<void(const std::string& line)>;

  ConsoleInputs(RunCommand run, LogSink log);
  ~ConsoleInputs();  // closes the control port and its connections
  ConsoleInputs(const ConsoleInputs&) = delete;
  ConsoleInputs& operator=(const ConsoleInputs&) = delete;

  // Opens the control port (see OpenListener).
  Status ListenForControl(const std::string& host, uint16_t port);
  uint16_t control_port() const { return control_port_; }

  // Reads commands from in_fd, replies to out_fd; neither is closed here.
  void AddConsole(int in_fd, int out_fd);
  void WatchInput(int fd, std::function<void()> on_readable);

  // Adds every open input to the round's poll set.
  void AddTo(PollSet& poll_set);
  // Forgets the control connections that have closed.
  void ForgetClosed();

 private:
  struct Link {
    int in_fd;
    int out_fd;
    bool owns_fd;  // control connections are closed here; stdin is not
    std::string pending;
    bool closed = false;
  };
  struct Watch {
    int fd;
    std::function<void()> on_readable;
  };

  void AcceptControl();
  void Read(Link& link);

  RunCommand run_;
  LogSink log_;
  int control_fd_ = -1;
  uint16_t control_port_ = 0;
  std::vector<std::unique_ptr<Link>> links_;
  std::vector<Watch> watches_;
};

}  // namespace hv::sim

#endif  // HV_SIM_CONSOLE_INPUTS_H_
