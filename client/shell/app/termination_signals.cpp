#include "client/shell/app/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "core/status.h"

namespace hv {

namespace {

// The write end of the active instance's pipe; -1 when none watches.
std::atomic<int> g_signal_pipe{-1};

}  // namespace

extern "C" void OnTerminationSignal(int signal_number) {
  int saved_errno = errno;
  int fd = g_signal_pipe.load();
  if (fd >= 0) {
    char byte = static_cast<char>(signal_number);
    // A full pipe already holds a wake-up; nothing is lost by dropping this one.
    [[maybe_unused]] ssize_t ignored = write(fd, &byte, 1);
  }
  errno = saved_errno;
}

cTerminationSignals::~cTerminationSignals() { Stop(); }

Status cTerminationSignals::Start(std::function<void(int)> on_signal) {
  const Status refused(Where::kProgram, hv::kCannotOpenFile,
                       "termination signals cannot be watched");
  if (installed_ || g_signal_pipe.load() >= 0) return refused;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return refused;
  read_fd_ = fds[0];
  write_fd_ = fds[1];
  on_signal_ = std::move(on_signal);
  g_signal_pipe.store(write_fd_);

  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (sigaction(SIGTERM, &action, &previous_term_) != 0) {
    Stop();
    return refused;
  }
  if (sigaction(SIGINT, &action, &previous_int_) != 0) {
    sigaction(SIGTERM, &previous_term_, nullptr);
    Stop();
    return refused;
  }
  installed_ = true;
  watch_ = loop_.WatchReadable(read_fd_, [this] { Drain(); });
  return Status::Ok();
}

void cTerminationSignals::Drain() {
  char buffer[64];
  int signal_number = 0;
  for (ssize_t n; (n = read(read_fd_, buffer, sizeof buffer)) > 0;) {
    signal_number = static_cast<unsigned char>(buffer[n - 1]);
  }
  if (signal_number != 0 && on_signal_) on_signal_(signal_number);
}

void cTerminationSignals::Stop() {
  if (installed_) {
    sigaction(SIGTERM, &previous_term_, nullptr);
    sigaction(SIGINT, &previous_int_, nullptr);
    installed_ = false;
  }
  if (watch_ != 0) {
    loop_.RemoveWatch(watch_);
    watch_ = 0;
  }
  if (write_fd_ >= 0) {
    int expected = write_fd_;
    g_signal_pipe.compare_exchange_strong(expected, -1);
    close(write_fd_);
    write_fd_ = -1;
  }
  if (read_fd_ >= 0) {
    close(read_fd_);
    read_fd_ = -1;
  }
}

}  // namespace hv
