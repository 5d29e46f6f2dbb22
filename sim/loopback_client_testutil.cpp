#include "sim/loopback_client_testutil.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "core/status.h"
#include "core/wire/message_types.h"
#include "sim/house_file.h"
#include "sim/request_reader.h"

namespace hv::sim {

LoopbackClient::LoopbackClient(uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return;
  }
  fd_ = fd;
}

std::unique_ptr<LoopbackClient> LoopbackClient::Adopt(int fd) {
  std::unique_ptr<LoopbackClient> client(new LoopbackClient());
  client->fd_ = fd;
  return client;
}

LoopbackClient::~LoopbackClient() {
  if (fd_ >= 0) close(fd_);
}

bool LoopbackClient::SendRaw(const void* data, size_t n) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (n > 0) {
    ssize_t written = send(fd_, bytes, n, MSG_NOSIGNAL);
    if (written <= 0) return false;
    bytes += written;
    n -= static_cast<size_t>(written);
  }
  return true;
}

bool LoopbackClient::Send(uint32_t type, const std::function<void(wire::PayloadWriter&)>& fill,
                          uint32_t version) {
  wire::PayloadWriter payload;
  if (fill) fill(payload);
  cBlockHeader header;
  header.type = type;
  header.version = version;
  header.guid = swGuidW::Generate();
  const std::vector<uint8_t> image = wire::EncodeBlock(header, payload.bytes());
  return SendRaw(image.data(), image.size());
}

bool LoopbackClient::SendBlocks(uint32_t type, const std::vector<std::vector<uint8_t>>& parts) {
  cBlockHeader header;
  header.type = type;
  header.guid = swGuidW::Generate();
  for (size_t i = 0; i < parts.size(); ++i) {
    header.block_number = static_cast<uint32_t>(i);
    header.last_block = i + 1 == parts.size() ? 1 : 0;
    if (parts[i].size() >= wire::PayloadWriter::kCapacity) return false;
    const std::vector<uint8_t> image = wire::EncodeBlock(header, parts[i]);
    if (!SendRaw(image.data(), image.size())) return false;
  }
  return true;
}

bool LoopbackClient::Login(const std::string& user, const std::string& password) {
  Status written;
  const bool sent = Send(msg::kLogin, [&](wire::PayloadWriter& b) {
    written = b.AppendString(user);
    if (written.ok()) written = b.AppendString(password);
  });
  // A name too long for a block is left out of what went out: that is no login.
  return written.ok() && sent;
}

void LoopbackClient::Poll() {
  if (fd_ < 0 || closed) return;
  for (;;) {
    uint8_t buffer[65536];
    ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (n <= 0) {
      // Like a real client: once the server has closed, close our end too.
      closed = true;
      close(fd_);
      fd_ = -1;
      return;
    }
    read_sizes.push_back(static_cast<size_t>(n));
    raw.insert(raw.end(), buffer, buffer + n);
    framer_.Feed(buffer, static_cast<size_t>(n));
    for (;;) {
      ReceivedBlock block;
      const Status next = framer_.Next(&block);
      if (next.declined()) break;
      if (!next.ok()) {
        garbage = true;
        break;
      }
      blocks.push_back(std::move(block));
    }
  }
}

bool LoopbackClient::WaitFor(const std::function<bool()>& done, int timeout_ms) {
  for (int waited = 0; waited <= timeout_ms; waited += 50) {
    Poll();
    if (done()) return true;
    if (fd_ < 0) return false;
    pollfd entry{fd_, POLLIN, 0};
    poll(&entry, 1, 50);
  }
  return false;
}

std::vector<const ReceivedBlock*> LoopbackClient::OfType(uint32_t type) const {
  std::vector<const ReceivedBlock*> out;
  for (const ReceivedBlock& block : blocks) {
    if (block.header.type == type) out.push_back(&block);
  }
  return out;
}

namespace {
Options ForTests(Options options) {
  options.listen_host = "127.0.0.1";
  options.listen_port = 0;
  options.console = false;
  return options;
}
}  // namespace

SimHarness::SimHarness(Options opts, HouseData data)
    : options(ForTests(std::move(opts))),
      house(std::move(data), clock, options.log_capacity),
      server(house, clock, options,
             [this](const std::string& line) { log_lines.push_back(line); }) {
  if (const Status started = server.Start(); !started.ok()) {
    log_lines.push_back("start failed: " + started.message());
  }
}

LoopbackClient& SimHarness::Connect(bool login) {
  clients_.push_back(std::make_unique<LoopbackClient>(server.port()));
  LoopbackClient& client = *clients_.back();
  size_t before = server.ConnectionCount();
  PumpUntil([&] { return server.ConnectionCount() > before; });
  if (login) LogIn(client);
  return client;
}

LoopbackClient& SimHarness::ConnectPair(bool login) {
  int ends[2] = {-1, -1};
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    clients_.push_back(LoopbackClient::Adopt(-1));  // not connected()
    return *clients_.back();
  }
  // The server's end behaves as an accepted socket does: it never blocks the loop.
  fcntl(ends[1], F_SETFL, fcntl(ends[1], F_GETFL) | O_NONBLOCK);
  server.AddClient(ends[1], "socketpair");
  clients_.push_back(LoopbackClient::Adopt(ends[0]));
  LoopbackClient& client = *clients_.back();
  if (login) LogIn(client);
  return client;
}

void SimHarness::LogIn(LoopbackClient& client) {
  client.Login("demo", "demo");
  size_t logged_in = server.LoggedInCount();
  PumpUntil([&] { return server.LoggedInCount() > logged_in; });
}

bool SimHarness::PumpUntil(const std::function<bool()>& done, int rounds) {
  for (int i = 0; i < rounds; ++i) {
    // Loopback delivery is immediate, but give the kernel a moment now and then.
    server.RunOnce(i % 50 == 49 ? 1 : 0);
    for (auto& client : clients_) client->Poll();
    if (done()) return true;
  }
  return false;
}

void SimHarness::Settle(int rounds) {
  PumpUntil([] { return false; }, rounds);
}

std::string FirstString(const ReceivedBlock& block) {
  RequestReader reader(block.payload);
  return reader.String();
}

}  // namespace hv::sim
