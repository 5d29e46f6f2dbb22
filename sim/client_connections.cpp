#include "sim/client_connections.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "core/system_error.h"

namespace hv::sim {

ClientConnections::ClientConnections(const Options& options, AnswerComposer& composer, LogSink log)
    : options_(options),
      composer_(composer),
      log_(std::move(log)),
      stream_faults_(options.stream_faults) {}

ClientConnections::~ClientConnections() {
  for (auto& client : clients_) close(client->fd);
}

ClientSession& ClientConnections::Add(int fd, const std::string& peer) {
  auto client = std::make_unique<ClientSession>();
  client->id = next_client_id_++;
  client->fd = fd;
  client->peer = peer;
  log_(client->Label() + " connected from " + client->peer);
  clients_.push_back(std::move(client));
  return *clients_.back();
}

void ClientConnections::Queue(ClientSession& client, const EncodedMessage& message) {
  if (message.empty()) {
    log_(client.Label() + ": an answer could not be composed (a field is too long)");
    return;
  }
  for (const EncodedBlock& block : message) {
    const uint64_t start = client.bytes_queued;
    QueueBytes(client, block.data(), block.size());
    if (client.bytes_queued == start) continue;  // refused: the client is going
    if (auto cut = stream_faults_.Plan(start, block.size())) client.interruptions.push_back(*cut);
  }
}

void ClientConnections::QueueBytes(ClientSession& client, const uint8_t* data, size_t n) {
  if (client.dead || client.draining) return;
  if (client.Backlog() + n > ClientSession::kMaxBacklog) {
    log_(client.Label() + " does not read its answers; disconnecting");
    client.dead = true;
    return;
  }
  client.out.insert(client.out.end(), data, data + n);
  client.bytes_queued += n;
}

int ClientConnections::PushToAll(const EncodedMessage& message) {
  int reached = 0;
  ForEachLoggedIn([&](ClientSession& client) {
    Queue(client, message);
    ++reached;
  });
  return reached;
}

void ClientConnections::PushClientQty() {
  PushToAll(composer_.ClientQty(static_cast<uint32_t>(LoggedInCount())));
}

void ClientConnections::CloseWithGoodbye(ClientSession& client) {
  if (options_.close_without_goodbye) {
    client.dead = true;
    return;
  }
  Queue(client, composer_.Goodbye());
  client.close_when_flushed = true;
}

void ClientConnections::Write(ClientSession& client, uint64_t now) {
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
        log_(client.Label() + " cut off after " + std::to_string(client.bytes_written) + " bytes");
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
    log_(client.Label() + " write failed: " + SystemReason(errno));
    client.dead = true;
    return;
  }
  client.out_start += static_cast<size_t>(written);
  client.bytes_written += static_cast<uint64_t>(written);
  if (options_.trickle_bytes > 0) client.next_write_ms = now + options_.trickle_pause_ms;
  if (client.out_start == client.out.size()) {
    client.out.clear();
    client.out_start = 0;
    if (client.close_when_flushed) Write(client, now);
  } else if (client.out_start > (1u << 20)) {
    client.out.erase(client.out.begin(),
                     client.out.begin() + static_cast<std::ptrdiff_t>(client.out_start));
    client.out_start = 0;
  }
}

size_t ClientConnections::ApplyInterruption(ClientSession& client, size_t n, uint64_t now) {
  if (client.interruptions.empty()) return n;
  const StreamInterruption cut = client.interruptions.front();
  if (client.bytes_written < cut.at) {
    return static_cast<size_t>(std::min<uint64_t>(n, cut.at - client.bytes_written));
  }
  client.interruptions.pop_front();
  if (cut.drop) {
    log_(client.Label() + " dropped in mid-block after " + std::to_string(client.bytes_written) +
         " bytes");
    client.dead = true;
  } else {
    log_(client.Label() + " stalls in mid-block for " + std::to_string(cut.stall_ms) + " ms");
    client.next_write_ms = now + cut.stall_ms;
  }
  return 0;
}

bool ClientConnections::CloseDead() {
  bool logged_in_left = false;
  for (auto& client : clients_) {
    if (!client->dead) continue;
    close(client->fd);
    logged_in_left = logged_in_left || client->logged_in;
  }
  clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                [](const auto& client) { return client->dead; }),
                 clients_.end());
  return logged_in_left;
}

size_t ClientConnections::LoggedInCount() const {
  size_t count = 0;
  for (const auto& client : clients_) {
    count += client->logged_in && !client->dead && !client->close_when_flushed ? 1 : 0;
  }
  return count;
}

std::vector<std::string> ClientConnections::Describe() const {
  std::vector<std::string> lines;
  for (const auto& client : clients_) {
    if (client->dead) continue;
    lines.push_back(client->Label() + " from " + client->peer +
                    (client->logged_in ? ", logged in" : ", not logged in") +
                    (client->log_feed ? ", log feed on" : ""));
  }
  return lines;
}

int ClientConnections::DropAll() {
  int dropped = 0;
  for (auto& client : clients_) {
    if (client->dead) continue;
    client->dead = true;
    ++dropped;
  }
  return dropped;
}

}  // namespace hv::sim
