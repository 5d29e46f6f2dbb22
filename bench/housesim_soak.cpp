// housesim_soak: runs housesim with --animate while several clients keep connecting, logging
// in, asking for everything, changing the house and leaving again, for a bounded time on
// loopback. Reports housesim's resident memory (RSS) after warming up and at the end, so a
// leak or an unbounded store shows as growth.
//
//   housesim_soak [--seconds N] [--clients N] [--housesim PATH] [--max-growth-kb N]
//
// Exit code 1 when memory grows by more than --max-growth-kb (default 4096) after the first
// quarter of the measured time, 2 on a setup failure.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_options.h"
#include "client/protocol/socket_message_block.h"
#include "core/wire/message_types.h"
#include "sim/block_framer.h"

extern char** environ;

namespace hv {

namespace {

using hv::sim::BlockFramer;
using hv::sim::ReceivedBlock;
using Clock = std::chrono::steady_clock;

// The soak's requests are a few short fields, far below a block's capacity.
constexpr const char* kFits = "a short request always fits its block";

long RssKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// One simulated user: connects, works through a script of requests while reading every
// answer, then logs off and starts over.
class SoakClient {
 public:
  SoakClient(uint16_t port, unsigned seed) : port_(port), seed_(seed) {}
  ~SoakClient() { Close(); }

  // One step of the script; false when the connection failed (it is then reopened).
  void Step() {
    if (fd_ < 0 && !Open()) return;
    Drain();
    switch (step_++) {
      case 0: Send(msg::kLogin, {"demo", "demo"}); break;
      case 1: SendU32(msg::kGetLogItems, {250}); break;
      case 2: Send(msg::kGetSwitches, {}); break;
      case 3: Send(msg::kGetSensors, {}); break;
      case 4: Send(msg::kGetMacros, {}); break;
      case 5: Send(msg::kGetModes, {}); break;
      case 6: SendU32(msg::kGetThumbnails, {100, 1, 75, 80, 60}); break;
      case 7: Toggle(); break;
      case 8: Send(msg::kSnapPicture, {"Front Porch"}); break;
      case 9: Send(msg::kGetServerTime, {}); break;
      default:
        // Stay a second or a few (reading pushes), then leave the way a client does.
        if (step_ > stay_) {
          Send(msg::kLogoff, {});
          Send(msg::kGoodbye, {});
          Close();
          ++sessions_;
        }
        break;
    }
  }

  uint64_t bytes() const { return bytes_; }
  uint64_t sessions() const { return sessions_; }

 private:
  unsigned Next() {
    seed_ = seed_ * 1103515245u + 12345u;
    return seed_ >> 16;
  }
  bool Open() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port_);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      Close();
      return false;
    }
    step_ = 0;
    stay_ = 200 + Next() % 800;
    framer_ = std::make_unique<BlockFramer>();
    return true;
  }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  void Write(cSocketMessageBlock& block) {
    uint32_t size = 0;
    const uint8_t* image = block.OutgoingImage(&size);
    if (fd_ >= 0 && send(fd_, image, size, MSG_NOSIGNAL) != static_cast<ssize_t>(size)) Close();
  }
  void Send(uint32_t type, const std::vector<std::string>& strings) {
    block_.ClearOutgoing();
    block_.type = type;
    for (const std::string& s : strings) block_.AppendString(s.c_str()).Ignore(kFits);
    Write(block_);
  }
  void SendU32(uint32_t type, const std::vector<uint32_t>& values) {
    block_.ClearOutgoing();
    block_.type = type;
    for (uint32_t v : values) block_.AppendU32(v).Ignore(kFits);
    Write(block_);
  }
  void Toggle() {
    static const char* const kSwitches[] = {"Porch Light", "Hall Light", "Garage Door"};
    block_.ClearOutgoing();
    block_.type = msg::kSetSwitchStatus;
    block_.AppendString(kSwitches[Next() % 3]).Ignore(kFits);
    block_.AppendU32(Next() % 2 == 0 ? 2 : 3).Ignore(kFits);
    block_.AppendU32(0).Ignore(kFits);
    block_.AppendU32(0).Ignore(kFits);
    block_.AppendF64(0).Ignore(kFits);
    Write(block_);
  }
  void Drain() {
    uint8_t buffer[65536];
    for (;;) {
      ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n <= 0) {
        if (n == 0) Close();
        return;
      }
      bytes_ += static_cast<uint64_t>(n);
      framer_->Feed(buffer, static_cast<size_t>(n));
      ReceivedBlock block;
      while (framer_->Next(&block).ok()) {
        if (block.header.type == msg::kGoodbye) {
          Close();
          return;
        }
      }
    }
  }

  uint16_t port_;
  unsigned seed_;
  int fd_ = -1;
  unsigned step_ = 0;
  unsigned stay_ = 0;
  std::unique_ptr<BlockFramer> framer_;
  cSocketMessageBlock block_;
  uint64_t bytes_ = 0;
  uint64_t sessions_ = 0;
};

// Starts housesim on a free loopback port with a quick animation and no console; the port it
// listens on, or 0 (said on stderr) when it did not start.
int StartHousesim(const std::string& housesim, pid_t* pid) {
  int out[2];
  if (pipe(out) != 0) return 0;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> args = {housesim, "--listen", "127.0.0.1:0",  "--animate-period",
                                   "20",     "--quiet",  "--no-console", "--log-capacity",
                                   "500"};
  std::vector<char*> argv_spawn;
  argv_spawn.reserve(args.size() + 1);
  for (std::string& a : args) argv_spawn.push_back(a.data());
  argv_spawn.push_back(nullptr);
  if (posix_spawn(pid, housesim.c_str(), &actions, nullptr, argv_spawn.data(), environ) != 0) {
    std::fprintf(stderr, "housesim_soak: cannot start %s\n", housesim.c_str());
    return 0;
  }
  close(out[1]);
  std::string banner;
  char c;
  while (banner.find('\n') == std::string::npos && read(out[0], &c, 1) == 1) banner += c;
  size_t colon = banner.rfind(':');
  int port = colon == std::string::npos ? 0 : std::atoi(banner.c_str() + colon + 1);
  if (port <= 0) {
    std::fprintf(stderr, "housesim_soak: housesim did not report a port\n");
    kill(*pid, SIGKILL);
    return 0;
  }
  return port;
}

std::string DefaultHousesim() {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "housesim";
  std::string path(self, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/')) + "/../bin/housesim";
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  int seconds = 60;
  int client_count = 8;
  long max_growth_kb = 4096;
  std::string housesim = DefaultHousesim();
  constexpr const char* kUsage =
      "[--seconds N>=2] [--clients N>=1] [--housesim PATH] [--max-growth-kb N]";
  bench::ParseBenchOptions(argc, argv,
                           {{"--seconds", bench::IntValue(&seconds, 0)},
                            {"--clients", bench::IntValue(&client_count, 0)},
                            {"--housesim", bench::TextValue(&housesim)},
                            {"--max-growth-kb", bench::LongValue(&max_growth_kb)}},
                           kUsage);
  if (seconds < 2 || client_count < 1) bench::ExitWithUsage(argv[0], kUsage);

  pid_t pid = -1;
  const int port = StartHousesim(housesim, &pid);
  if (port <= 0) return 2;

  std::vector<std::unique_ptr<SoakClient>> clients;
  clients.reserve(static_cast<size_t>(client_count));
  for (int i = 0; i < client_count; ++i) {
    clients.push_back(std::make_unique<SoakClient>(static_cast<uint16_t>(port), 7u + i));
  }
  auto run_for = [&](Clock::duration span) {
    Clock::time_point end = Clock::now() + span;
    while (Clock::now() < end) {
      for (auto& client : clients) client->Step();
      poll(nullptr, 0, 5);  // the pace of people clicking, not of a flood
    }
  };

  // Warm up first: the house fills its log and picture stores to their caps, after which
  // memory should stay flat.
  run_for(std::chrono::seconds(seconds / 4 + 1));
  long start_kb = RssKb(pid);
  // The rest in four legs, with a sample after each, so a plateau can be told from a climb.
  int rest = seconds - seconds / 4;
  long first_leg_kb = 0;
  for (int leg = 0; leg < 4; ++leg) {
    run_for(std::chrono::milliseconds(rest * 250));
    long kb = RssKb(pid);
    if (leg == 0) first_leg_kb = kb;
    std::printf("housesim RSS after %d%%: %ld kB\n", 25 * (leg + 1), kb);
    std::fflush(stdout);
  }
  long end_kb = RssKb(pid);

  uint64_t bytes = 0;
  uint64_t sessions = 0;
  for (auto& client : clients) {
    bytes += client->bytes();
    sessions += client->sessions();
  }
  clients.clear();
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);

  long growth = end_kb - start_kb;
  // The log, the picture index and the picture cache fill to their caps during the first
  // minutes; the judgement is on what grows after that.
  long late_growth = end_kb - first_leg_kb;
  std::printf("housesim_soak: %d s, %d clients, %llu sessions, %.1f MB received\n", seconds,
              client_count, static_cast<unsigned long long>(sessions), bytes / 1e6);
  std::printf(
      "housesim RSS after warm-up %ld kB, at end %ld kB, growth %ld kB "
      "(%ld kB over the last three quarters)\n",
      start_kb, end_kb, growth, late_growth);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::printf("housesim did not stop cleanly on SIGTERM\n");
    return 1;
  }
  return late_growth > max_growth_kb ? 1 : 0;
}
