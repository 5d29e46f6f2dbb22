// Test helpers: a small client made from the wire library's framing that talks to a server over
// loopback TCP, and a harness that runs a Server in-process on a fake clock and pumps it and
// its clients on the test's own thread (no threads, no sleeps).
#ifndef HV_SIM_LOOPBACK_CLIENT_TESTUTIL_H_
#define HV_SIM_LOOPBACK_CLIENT_TESTUTIL_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/wire/payload_writer.h"
#include "sim/block_framer.h"
#include "sim/house.h"
#include "sim/house_file.h"
#include "sim/options.h"
#include "sim/server.h"
#include "sim/sim_clock.h"

namespace hv::sim {

class LoopbackClient {
 public:
  explicit LoopbackClient(uint16_t port);
  // Takes over fd, an already-connected socket (one end of a socketpair).
  static std::unique_ptr<LoopbackClient> Adopt(int fd);
  ~LoopbackClient();
  LoopbackClient(const LoopbackClient&) = delete;
  LoopbackClient& operator=(const LoopbackClient&) = delete;

  bool connected() const { return fd_ >= 0; }

  // Composes one request block with `fill` and writes it whole. Returns false on failure.
  bool Send(uint32_t type, const std::function<void(wire::PayloadWriter&)>& fill = nullptr,
            uint32_t version = 3);
  // Writes the blocks of one multi-block request: block i carries parts[i] as its payload.
  bool SendBlocks(uint32_t type, const std::vector<std::vector<uint8_t>>& parts);
  bool SendRaw(const void* data, size_t n);
  bool Login(const std::string& user, const std::string& password);

  // Reads whatever has arrived, without waiting.
  void Poll();
  // For a server in another process: reads as bytes arrive until done() holds or timeout_ms
  // of real time has passed.
  bool WaitFor(const std::function<bool()>& done, int timeout_ms = 10000);

  std::vector<ReceivedBlock> blocks;  // every whole block received, in order
  std::vector<uint8_t> raw;           // every byte received
  bool closed = false;                // the server closed the connection
  bool garbage = false;               // the bytes were not blocks
  std::vector<size_t> read_sizes;     // the size of every read that returned bytes

  // Blocks of one type received so far.
  std::vector<const ReceivedBlock*> OfType(uint32_t type) const;

 private:
  LoopbackClient() = default;

  int fd_ = -1;
  BlockFramer framer_;
};

class SimHarness {
 public:
  explicit SimHarness(Options options = Options(), HouseData data = DemoHouse());

  // A connected client (owned by the harness), logged in as demo/demo when login is true.
  LoopbackClient& Connect(bool login = true);
  // As Connect, over a socketpair handed straight to the server: no TCP port is used, so a
  // fuzz run may open thousands of sessions a second without running out of ports.
  LoopbackClient& ConnectPair(bool login = true);
  // Runs the server and reads every client until done() holds; false after `rounds` rounds.
  bool PumpUntil(const std::function<bool()>& done, int rounds = 3000);
  // A few rounds, for checking that something does *not* arrive.
  void Settle(int rounds = 30);

  FakeSimClock clock;
  Options options;
  House house;
  std::vector<std::string> log_lines;
  Server server;

 private:
  void LogIn(LoopbackClient& client);

  std::vector<std::unique_ptr<LoopbackClient>> clients_;
};

// Decodes the string at the start of an answer's payload (the name of most answers).
std::string FirstString(const ReceivedBlock& block);

}  // namespace hv::sim

#endif  // HV_SIM_LOOPBACK_CLIENT_TESTUTIL_H_
