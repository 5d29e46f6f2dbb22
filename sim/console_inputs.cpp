#include "sim/console_inputs.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "sim/listener.h"

namespace hv::sim {
namespace {

void WriteAllBestEffort(int fd, const std::string& text, bool socket) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = socket ? send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL)
                       : write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

ConsoleInputs::ConsoleInputs(RunCommand run, LogSink log)
    : run_(std::move(run)), log_(std::move(log)) {}

ConsoleInputs::~ConsoleInputs() {
  for (auto& link : links_) {
    if (link->owns_fd && !link->closed) close(link->in_fd);
  }
  if (control_fd_ >= 0) close(control_fd_);
}

Status ConsoleInputs::ListenForControl(const std::string& host, uint16_t port) {
  return OpenListener(host, port, &control_fd_, &control_port_);
}

void ConsoleInputs::AddConsole(int in_fd, int out_fd) {
  links_.push_back(std::make_unique<Link>(Link{in_fd, out_fd, false, {}}));
}

void ConsoleInputs::WatchInput(int fd, std::function<void()> on_readable) {
  watches_.push_back({fd, std::move(on_readable)});
}

void ConsoleInputs::AddTo(PollSet& poll_set) {
  if (control_fd_ >= 0) poll_set.Add(control_fd_, POLLIN, [this](short) { AcceptControl(); });
  for (auto& link : links_) {
    Link* read = link.get();
    if (!read->closed) poll_set.Add(read->in_fd, POLLIN, [this, read](short) { Read(*read); });
  }
  for (Watch& watch : watches_) {
    poll_set.Add(watch.fd, POLLIN, [on_readable = watch.on_readable](short) { on_readable(); });
  }
}

void ConsoleInputs::ForgetClosed() {
  links_.erase(std::remove_if(links_.begin(), links_.end(),
                              [](const auto& link) { return link->closed && link->owns_fd; }),
               links_.end());
}

void ConsoleInputs::AcceptControl() {
  for (;;) {
    int fd = accept4(control_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    links_.push_back(std::make_unique<Link>(Link{fd, fd, true, {}}));
    log_("control connection opened");
  }
}

void ConsoleInputs::Read(Link& link) {
  char buffer[4096];
  ssize_t n = read(link.in_fd, buffer, sizeof buffer);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    link.closed = true;
    if (link.owns_fd) close(link.in_fd);
    return;
  }
  link.pending.append(buffer, static_cast<size_t>(n));
  size_t newline;
  while ((newline = link.pending.find('\n')) != std::string::npos) {
    std::string line = link.pending.substr(0, newline);
    link.pending.erase(0, newline + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string reply = run_(line);
    if (!reply.empty()) WriteAllBestEffort(link.out_fd, reply, link.owns_fd);
  }
  if (link.pending.size() > 65536) link.pending.clear();  // no line is that long
}

}  // namespace hv::sim
