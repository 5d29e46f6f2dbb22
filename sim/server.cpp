#include "sim/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/status.h"
#include "core/system_error.h"
#include "core/wire/message_types.h"
#include "core/wire/stream_addresses.h"
#include "sim/console.h"
#include "sim/picture_maker.h"

namespace hv::sim {
namespace {

// Listens on host:port (an empty host: every address) and gives the descriptor and the port
// bound, which differs from `port` when that is 0.
Status OpenListener(const std::string& host, uint16_t port, int* listen_fd, uint16_t* bound) {
  wire::StreamAddresses found;
  int rc = wire::ResolveStream(host.empty() ? nullptr : host.c_str(), port, AI_PASSIVE, &found);
  if (rc != 0) {
    return Status(Where::kSim, kCannotConnect, "cannot resolve " + host + ": " + gai_strerror(rc));
  }
  int fd = -1;
  std::string last_error = "no address to listen on";
  for (const addrinfo* a = found.get(); a != nullptr && fd < 0; a = a->ai_next) {
    fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      last_error = SystemReason(errno);
      continue;
    }
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, 64) != 0) {
      last_error = SystemReason(errno);
      close(fd);
      fd = -1;
    }
  }
  if (fd < 0) {
    return Status(Where::kSim, kCannotConnect,
                  "cannot listen on " + host + ":" + std::to_string(port) + ": " + last_error);
  }
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *bound =
      ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                          : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  *listen_fd = fd;
  return Status::Ok();
}

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

Server::Server(House& house, const SimClock& clock, const Options& options, LogSink log)
    : house_(house),
      clock_(clock),
      options_(options),
      log_(std::move(log)),
      composer_(options.wire),
      stream_faults_(options.stream_faults),
      animator_(house) {
  house_.SetListener(this);
  next_animation_ms_ = clock_.NowMs() + options_.animate_period_ms;
}

Server::~Server() {
  house_.SetListener(nullptr);
  for (auto& client : clients_) close(client->fd);
  for (auto& link : consoles_) {
    if (link->owns_fd && !link->closed) close(link->in_fd);
  }
  if (listen_fd_ >= 0) close(listen_fd_);
  if (control_fd_ >= 0) close(control_fd_);
}

Status Server::Start() {
  Status status = OpenListener(options_.listen_host, options_.listen_port, &listen_fd_, &port_);
  if (status.ok() && !options_.control_host.empty()) {
    status =
        OpenListener(options_.control_host, options_.control_port, &control_fd_, &control_port_);
  }
  return status;
}

void Server::Log(const std::string& line) const {
  if (!options_.quiet && log_) log_(line);
}

void Server::AddConsole(int in_fd, int out_fd) {
  consoles_.push_back(std::make_unique<ConsoleLink>(ConsoleLink{in_fd, out_fd, false, {}}));
}

void Server::WatchInput(int fd, std::function<void()> on_readable) {
  watches_.push_back({fd, std::move(on_readable)});
}

uint64_t Server::NextDeadline() const {
  const uint64_t now = clock_.NowMs();
  uint64_t next = house_.NextDeadlineMs();
  if (options_.animate && !shutting_down_) next = std::min(next, next_animation_ms_);
  if (shutting_down_) next = std::min(next, shutdown_deadline_ms_);
  for (const auto& client : clients_) {
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

  enum class Kind { kListener, kControl, kClient, kConsole, kWatch };
  std::vector<pollfd> fds;
  std::vector<std::pair<Kind, void*>> owners;
  auto add = [&](int fd, short events, Kind kind, void* owner) {
    fds.push_back({fd, events, 0});
    owners.emplace_back(kind, owner);
  };
  if (listen_fd_ >= 0 && !shutting_down_) add(listen_fd_, POLLIN, Kind::kListener, nullptr);
  if (control_fd_ >= 0) add(control_fd_, POLLIN, Kind::kControl, nullptr);
  for (auto& client : clients_) {
    TopUpFlood(*client);
    short events = POLLIN;
    bool may_write =
        client->next_write_ms <= now && (options_.cut_after_bytes == 0 || options_.cut_closes ||
                                         client->bytes_written < options_.cut_after_bytes);
    if (client->Backlog() > 0 && may_write) events |= POLLOUT;
    add(client->fd, events, Kind::kClient, client.get());
  }
  for (auto& link : consoles_) {
    if (!link->closed) add(link->in_fd, POLLIN, Kind::kConsole, link.get());
  }
  for (Watch& watch : watches_) add(watch.fd, POLLIN, Kind::kWatch, &watch);

  int ready = poll(fds.data(), fds.size(), timeout);
  if (ready < 0 && errno != EINTR) Log("poll failed: " + std::string(SystemReason(errno)));
  for (size_t i = 0; ready > 0 && i < fds.size(); ++i) {
    if (fds[i].revents == 0) continue;
    switch (owners[i].first) {
      case Kind::kListener: AcceptClients(); break;
      case Kind::kControl: AcceptControl(); break;
      case Kind::kClient: {
        auto* client = static_cast<ClientSession*>(owners[i].second);
        if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) ReadClient(*client);
        break;
      }
      case Kind::kConsole: ReadConsole(*static_cast<ConsoleLink*>(owners[i].second)); break;
      case Kind::kWatch: static_cast<Watch*>(owners[i].second)->on_readable(); break;
    }
  }

  RunTimers();
  for (auto& client : clients_) {
    if (!client->dead) WriteClient(*client);
  }
  CloseDeadClients();
  consoles_.erase(std::remove_if(consoles_.begin(), consoles_.end(),
                                 [](const auto& link) { return link->closed && link->owns_fd; }),
                  consoles_.end());

  if (shutting_down_ && (clients_.empty() || clock_.NowMs() >= shutdown_deadline_ms_)) {
    for (auto& client : clients_) client->dead = true;
    CloseDeadClients();
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

void Server::AddClient(int fd, const std::string& peer) {
  auto client = std::make_unique<ClientSession>();
  client->id = next_client_id_++;
  client->fd = fd;
  client->peer = peer;
  Log(client->Label() + " connected from " + client->peer);
  clients_.push_back(std::move(client));
}

void Server::AcceptControl() {
  for (;;) {
    int fd = accept4(control_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    consoles_.push_back(std::make_unique<ConsoleLink>(ConsoleLink{fd, fd, true, {}}));
    Log("control connection opened");
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
    HandleBlock(client, std::move(block));
    if (client.dead || client.close_when_flushed) return;
  }
}

void Server::ReadConsole(ConsoleLink& link) {
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
    std::string reply = RunConsoleCommand(*this, line);
    if (!reply.empty()) WriteAllBestEffort(link.out_fd, reply, link.owns_fd);
  }
  if (link.pending.size() > 65536) link.pending.clear();  // no line is that long
}

void Server::WriteClient(ClientSession& client) {
  uint64_t now = clock_.NowMs();
  if (client.Backlog() == 0) {
    if (client.close_when_flushed && !client.draining) {
      shutdown(client.fd, SHUT_WR);
      client.draining = true;
      client.drain_deadline_ms = now + kDrainMs;
    }
    return;
  }
  if (now < client.next_write_ms) return;
  size_t n = client.Backlog();
  if (options_.trickle_bytes > 0) n = std::min<size_t>(n, options_.trickle_bytes);
  n = ApplyInterruption(client, n, now);
  if (n == 0) return;
  if (options_.cut_after_bytes > 0) {
    if (client.bytes_written >= options_.cut_after_bytes) {
      // The fault: stop in mid-stream. A stalled connection stays open and silent.
      if (options_.cut_closes && !client.dead) {
        Log(client.Label() + " cut off after " + std::to_string(client.bytes_written) + " bytes");
        client.dead = true;
      }
      return;
    }
    n = static_cast<size_t>(std::min<uint64_t>(n, options_.cut_after_bytes - client.bytes_written));
  }
  ssize_t written =
      send(client.fd, client.out.data() + client.out_start, n, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (written < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
    Log(client.Label() + " write failed: " + SystemReason(errno));
    client.dead = true;
    return;
  }
  client.out_start += static_cast<size_t>(written);
  client.bytes_written += static_cast<uint64_t>(written);
  if (options_.trickle_bytes > 0) client.next_write_ms = now + options_.trickle_pause_ms;
  if (client.out_start == client.out.size()) {
    client.out.clear();
    client.out_start = 0;
    if (client.close_when_flushed) WriteClient(client);
  } else if (client.out_start > (1u << 20)) {
    client.out.erase(client.out.begin(),
                     client.out.begin() + static_cast<std::ptrdiff_t>(client.out_start));
    client.out_start = 0;
  }
}

size_t Server::ApplyInterruption(ClientSession& client, size_t n, uint64_t now) {
  if (client.interruptions.empty()) return n;
  const StreamInterruption cut = client.interruptions.front();
  if (client.bytes_written < cut.at) {
    return static_cast<size_t>(std::min<uint64_t>(n, cut.at - client.bytes_written));
  }
  client.interruptions.pop_front();
  if (cut.drop) {
    Log(client.Label() + " dropped in mid-block after " + std::to_string(client.bytes_written) +
        " bytes");
    client.dead = true;
  } else {
    Log(client.Label() + " stalls in mid-block for " + std::to_string(cut.stall_ms) + " ms");
    client.next_write_ms = now + cut.stall_ms;
  }
  return 0;
}

void Server::CloseDeadClients() {
  bool logged_in_left = false;
  for (auto& client : clients_) {
    if (!client->dead) continue;
    close(client->fd);
    logged_in_left = logged_in_left || client->logged_in;
  }
  size_t before = clients_.size();
  clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                [](const auto& client) { return client->dead; }),
                 clients_.end());
  if (logged_in_left && clients_.size() != before && !shutting_down_) PushClientQty();
}

void Server::RunTimers() {
  house_.Tick();
  uint64_t now = clock_.NowMs();
  if (options_.animate && !shutting_down_ && now >= next_animation_ms_) {
    animator_.Step();
    next_animation_ms_ = now + options_.animate_period_ms;
  }
  for (auto& client : clients_) {
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
  for (auto& client : clients_) {
    if (!client->dead) CloseWithGoodbye(*client);
  }
}

void Server::CloseWithGoodbye(ClientSession& client) {
  if (options_.close_without_goodbye) {
    client.dead = true;
    return;
  }
  Queue(client, composer_.Goodbye());
  client.close_when_flushed = true;
}

void Server::Queue(ClientSession& client, const EncodedMessage& message) {
  if (message.empty()) {
    Log(client.Label() + ": an answer could not be composed (a field is too long)");
    return;
  }
  for (const EncodedBlock& block : message) {
    const uint64_t start = client.bytes_queued;
    QueueBytes(client, block.data(), block.size());
    if (client.bytes_queued == start) continue;  // refused: the client is going
    if (auto cut = stream_faults_.Plan(start, block.size())) client.interruptions.push_back(*cut);
  }
}

void Server::QueueBytes(ClientSession& client, const uint8_t* data, size_t n) {
  if (client.dead || client.draining) return;
  if (client.Backlog() + n > ClientSession::kMaxBacklog) {
    Log(client.Label() + " does not read its answers; disconnecting");
    client.dead = true;
    return;
  }
  client.out.insert(client.out.end(), data, data + n);
  client.bytes_queued += n;
}

template <typename Fn>
void Server::ForEachLoggedIn(Fn fn) {
  for (auto& client : clients_) {
    if (client->logged_in && !client->dead && !client->close_when_flushed) fn(*client);
  }
}

void Server::PushToAll(const EncodedMessage& message) {
  ForEachLoggedIn([&](ClientSession& client) { Queue(client, message); });
}

size_t Server::LoggedInCount() const {
  size_t count = 0;
  for (const auto& client : clients_) {
    count += client->logged_in && !client->dead && !client->close_when_flushed ? 1 : 0;
  }
  return count;
}

void Server::PushClientQty() {
  PushToAll(composer_.ClientQty(static_cast<uint32_t>(LoggedInCount())));
}

const std::vector<uint8_t>& Server::DrawPicture(const Snapshot& shot, int width, int height,
                                                bool large) {
  PictureKey key{shot.serial, width, height};
  if (shot.serial != 0) {
    auto found = picture_cache_.find(key);
    if (found != picture_cache_.end()) return found->second;
  }
  PictureRequest request;
  request.width = width;
  request.height = height;
  const VideoSource* source = house_.FindVideoSource(shot.source);
  request.source_number = source != nullptr ? source->number : 0;
  request.time_stamp = shot.time_stamp;
  request.is_clip = shot.is_clip;
  request.noise = true;
  request.quality = large ? 90 : 85;
  if (shot.serial == 0) {
    uncached_picture_ = MakePicture(request);
    return uncached_picture_;
  }
  if (picture_cache_order_.size() >= kPictureCacheEntries) {
    picture_cache_.erase(picture_cache_order_.front());
    picture_cache_order_.pop_front();
  }
  picture_cache_order_.push_back(key);
  return picture_cache_[key] = MakePicture(request);
}

// --- house changes, pushed to the clients ---

void Server::OnSwitchStatus(const SwitchItem& item) { PushToAll(composer_.SwitchStatus(item)); }
void Server::OnSensorStatus(const SensorItem& item) { PushToAll(composer_.SensorStatus(item)); }
void Server::OnMacroStatus(const MacroItem& item) { PushToAll(composer_.MacroStatus(item)); }
void Server::OnModeStatus(const ModeItem& item) { PushToAll(composer_.ModeStatus(item)); }
void Server::OnLightDark(bool dark) { PushToAll(composer_.Flag(msg::kLightDark, dark)); }
void Server::OnPause(bool paused) { PushToAll(composer_.Flag(msg::kPauseState, paused)); }
void Server::OnMute(bool muted) { PushToAll(composer_.Flag(msg::kMuteState, muted)); }

void Server::OnLogEntry(const LogEntry& entry) {
  EncodedMessage message = composer_.LogItem(entry);
  ForEachLoggedIn([&](ClientSession& client) {
    if (client.log_feed) Queue(client, message);
  });
}

void Server::OnSnapshot(const Snapshot& snapshot) {
  PushToAll(composer_.Thumbnail(snapshot, DrawPicture(snapshot, 80, 60, false)));
}

// --- console actions ---

int Server::SendServerMessage(const std::string& target, bool plain, const std::string& caption,
                              const std::string& text) {
  EncodedMessage message = composer_.ServerMessage(target, plain, caption, text);
  int reached = 0;
  ForEachLoggedIn([&](ClientSession& client) {
    Queue(client, message);
    ++reached;
  });
  return reached;
}

int Server::SendLaunchProgram(const std::string& target, const std::string& file,
                              const std::string& parameters, const std::string& directory,
                              const std::string& verb) {
  // Show command 1: a normal window.
  EncodedMessage message = composer_.LaunchProgram(file, verb, parameters, directory, 1, target);
  int reached = 0;
  ForEachLoggedIn([&](ClientSession& client) {
    Queue(client, message);
    ++reached;
  });
  return reached;
}

int Server::SendUnknownBlockToAll() {
  int reached = 0;
  ForEachLoggedIn([&](ClientSession& client) {
    Queue(client, composer_.UnknownType());
    ++reached;
  });
  return reached;
}

const std::string& Server::GarbageBytes() {
  static const std::string kGarbage =
      "This is not a block header: housesim sends garbage on purpose to test the client.\r\n";
  return kGarbage;
}

int Server::SendGarbageToAll() {
  int reached = 0;
  ForEachLoggedIn([&](ClientSession& client) {
    QueueBytes(client, reinterpret_cast<const uint8_t*>(GarbageBytes().data()),
               GarbageBytes().size());
    ++reached;
  });
  return reached;
}

int Server::SendLogFloodToAll(uint64_t count) {
  int reached = 0;
  ForEachLoggedIn([&](ClientSession& client) {
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
    Queue(client, composer_.LogItem(entry));
    --client.flood_left;
  }
}

int Server::DropAllWithoutGoodbye() {
  int dropped = 0;
  for (auto& client : clients_) {
    if (client->dead) continue;
    client->dead = true;
    ++dropped;
  }
  return dropped;
}

std::vector<std::string> Server::DescribeClients() const {
  std::vector<std::string> lines;
  for (const auto& client : clients_) {
    if (client->dead) continue;
    lines.push_back(client->Label() + " from " + client->peer +
                    (client->logged_in ? ", logged in" : ", not logged in") +
                    (client->log_feed ? ", log feed on" : ""));
  }
  return lines;
}

}  // namespace hv::sim
