#include "sim/server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "core/status.h"
#include "core/system_error.h"
#include "core/wire/message_types.h"
#include "sim/console.h"
#include "sim/listener.h"
#include "sim/poll_set.h"

namespace hv::sim {
namespace {

std::string PeerName(const sockaddr_storage& address) {
  char host[INET6_ADDRSTRLEN] = "?";
  uint16_t port = 0;
  if (address.ss_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
    inet_ntop(AF_INET, &v4->sin_addr, host, sizeof host);
    port = ntohs(v4->sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
    inet_ntop(AF_INET6, &v6->sin6_addr, host, sizeof host);
    port = ntohs(v6->sin6_port);
  }
  return std::string(host) + ":" + std::to_string(port);
}

}  // namespace

Server::Server(House& house, const SimClock& clock, const Options& options, LogSink log)
    : house_(house),
      clock_(clock),
      options_(options),
      log_(std::move(log)),
      composer_(options.wire),
      animator_(house),
      connections_(options, composer_, [this](const std::string& line) { Log(line); }),
      pictures_(house),
      answerer_(house, clock, options, composer_, connections_, pictures_,
                [this](const std::string& line) { Log(line); }),
      consoles_([this](const std::string& line) { return RunConsoleCommand(*this, line); },
                [this](const std::string& line) { Log(line); }) {
  house_.SetListener(this);
  next_animation_ms_ = clock_.NowMs() + options_.animate_period_ms;
}

Server::~Server() {
  house_.SetListener(nullptr);
  if (listen_fd_ >= 0) close(listen_fd_);
}

Status Server::Start() {
  Status status = OpenListener(options_.listen_host, options_.listen_port, &listen_fd_, &port_);
  if (status.ok() && !options_.control_host.empty()) {
    status = consoles_.ListenForControl(options_.control_host, options_.control_port);
  }
  return status;
}

void Server::Log(const std::string& line) const {
  if (!options_.quiet && log_) log_(line);
}

uint64_t Server::NextDeadline() const {
  const uint64_t now = clock_.NowMs();
  uint64_t next = house_.NextDeadlineMs();
  if (options_.animate && !shutting_down_) next = std::min(next, next_animation_ms_);
  if (shutting_down_) next = std::min(next, shutdown_deadline_ms_);
  for (const auto& client : connections_.sessions()) {
    if (client->draining) next = std::min(next, client->drain_deadline_ms);
    // A moment already past would make poll() spin while the socket is full; POLLOUT
    // wakes the loop then.
    if (client->Backlog() > 0 && client->next_write_ms > now) {
      next = std::min(next, client->next_write_ms);
    }
  }
  return next;
}

void Server::RunOnce(int max_wait_ms) {
  if (finished_) return;
  uint64_t now = clock_.NowMs();
  int timeout = std::max(max_wait_ms, 0);
  uint64_t deadline = NextDeadline();
  if (deadline != UINT64_MAX) {
    uint64_t until = deadline > now ? deadline - now : 0;
    timeout = static_cast<int>(std::min<uint64_t>(until, static_cast<uint64_t>(timeout)));
  }

  PollSet poll_set;
  if (listen_fd_ >= 0 && !shutting_down_) {
    poll_set.Add(listen_fd_, POLLIN, [this](short) { AcceptClients(); });
  }
  for (auto& session : connections_.sessions()) {
    ClientSession* client = session.get();
    TopUpFlood(*client);
    short events = POLLIN;
    bool may_write =
        client->next_write_ms <= now && (options_.cut_after_bytes == 0 || options_.cut_closes ||
                                         client->bytes_written < options_.cut_after_bytes);
    if (client->Backlog() > 0 && may_write) events |= POLLOUT;
    poll_set.Add(client->fd, events, [this, client](short revents) {
      if (revents & (POLLIN | POLLHUP | POLLERR)) ReadClient(*client);
    });
  }
  consoles_.AddTo(poll_set);

  int ready = poll_set.Wait(timeout);
  if (ready < 0 && errno != EINTR) Log("poll failed: " + std::string(SystemReason(errno)));
  if (ready > 0) poll_set.Dispatch();

  RunTimers();
  for (auto& client : connections_.sessions()) {
    if (!client->dead) connections_.Write(*client, clock_.NowMs());
  }
  if (connections_.CloseDead() && !shutting_down_) connections_.PushClientQty();
  consoles_.ForgetClosed();

  if (shutting_down_ &&
      (connections_.sessions().empty() || clock_.NowMs() >= shutdown_deadline_ms_)) {
    connections_.DropAll();
    connections_.CloseDead();
    finished_ = true;
  }
}

void Server::AcceptClients() {
  for (;;) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    int fd = accept4(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length,
                     SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // EAGAIN, or a connection that went away before we took it
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    AddClient(fd, PeerName(address));
  }
}

void Server::ReadClient(ClientSession& client) {
  uint8_t buffer[65536];
  ssize_t n = recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  if (n <= 0) {
    if (!client.draining) Log(client.Label() + " disconnected");
    client.dead = true;
    return;
  }
  if (client.draining || client.dead || client.close_when_flushed) return;  // closing: dropped
  client.framer.Feed(buffer, static_cast<size_t>(n));
  for (;;) {
    ReceivedBlock block;
    const Status next = client.framer.Next(&block);
    if (next.declined()) break;
    if (!next.ok()) {
      Log(client.Label() + " sent garbage; disconnecting");
      client.dead = true;
      return;
    }
    answerer_.HandleBlock(client, std::move(block));
    if (client.dead || client.close_when_flushed) return;
  }
}

void Server::RunTimers() {
  house_.Tick();
  uint64_t now = clock_.NowMs();
  if (options_.animate && !shutting_down_ && now >= next_animation_ms_) {
    animator_.Step();
    next_animation_ms_ = now + options_.animate_period_ms;
  }
  for (auto& client : connections_.sessions()) {
    if (client->draining && now >= client->drain_deadline_ms) client->dead = true;
  }
}

void Server::BeginShutdown() {
  if (shutting_down_) return;
  shutting_down_ = true;
  shutdown_deadline_ms_ = clock_.NowMs() + kShutdownGraceMs;
  Log("shutting down");
  if (listen_fd_ >= 0) {
    close(listen_fd_);
    listen_fd_ = -1;
  }
  for (auto& client : connections_.sessions()) {
    if (!client->dead) connections_.CloseWithGoodbye(*client);
  }
}

// --- house changes, pushed to the clients ---

void Server::OnSwitchStatus(const SwitchItem& item) {
  connections_.PushToAll(composer_.SwitchStatus(item));
}
void Server::OnSensorStatus(const SensorItem& item) {
  connections_.PushToAll(composer_.SensorStatus(item));
}
void Server::OnMacroStatus(const MacroItem& item) {
  connections_.PushToAll(composer_.MacroStatus(item));
}
void Server::OnModeStatus(const ModeItem& item) {
  connections_.PushToAll(composer_.ModeStatus(item));
}
void Server::OnLightDark(bool dark) {
  connections_.PushToAll(composer_.Flag(msg::kLightDark, dark));
}
void Server::OnPause(bool paused) {
  connections_.PushToAll(composer_.Flag(msg::kPauseState, paused));
}
void Server::OnMute(bool muted) { connections_.PushToAll(composer_.Flag(msg::kMuteState, muted)); }

void Server::OnLogEntry(const LogEntry& entry) {
  EncodedMessage message = composer_.LogItem(entry);
  connections_.ForEachLoggedIn([&](ClientSession& client) {
    if (client.log_feed) connections_.Queue(client, message);
  });
}

void Server::OnSnapshot(const Snapshot& snapshot) {
  connections_.PushToAll(composer_.Thumbnail(snapshot, pictures_.Draw(snapshot, 80, 60, false)));
}

// --- console actions ---

int Server::SendServerMessage(const std::string& target, bool plain, const std::string& caption,
                              const std::string& text) {
  return connections_.PushToAll(composer_.ServerMessage(target, plain, caption, text));
}

int Server::SendLaunchProgram(const std::string& target, const std::string& file,
                              const std::string& parameters, const std::string& directory,
                              const std::string& verb) {
  // Show command 1: a normal window.
  return connections_.PushToAll(
      composer_.LaunchProgram(file, verb, parameters, directory, 1, target));
}

int Server::SendUnknownBlockToAll() {
  int reached = 0;
  connections_.ForEachLoggedIn([&](ClientSession& client) {
    connections_.Queue(client, composer_.UnknownType());
    ++reached;
  });
  return reached;
}

int Server::SendGarbageToAll() {
  int reached = 0;
  connections_.ForEachLoggedIn([&](ClientSession& client) {
    answerer_.QueueGarbage(client);
    ++reached;
  });
  return reached;
}

int Server::SendLogFloodToAll(uint64_t count) {
  int reached = 0;
  connections_.ForEachLoggedIn([&](ClientSession& client) {
    if (!client.log_feed) return;
    client.flood_left += count;
    ++reached;
  });
  return reached;
}

void Server::TopUpFlood(ClientSession& client) {
  if (client.flood_left == 0 || client.Backlog() >= kFloodBacklog) return;
  // Nothing may follow a Goodbye.
  if (client.close_when_flushed || client.draining || client.dead) {
    client.flood_left = 0;
    return;
  }
  LogEntry entry;
  entry.name = "Flood";
  entry.date_text = "01/01/2026";
  entry.time_text = "12:00:00 AM";
  while (client.flood_left > 0 && client.Backlog() < kFloodBacklog) {
    entry.message = "Flood entry " + std::to_string(++client.flood_queued);
    connections_.Queue(client, composer_.LogItem(entry));
    --client.flood_left;
  }
}

}  // namespace hv::sim
