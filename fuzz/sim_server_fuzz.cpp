// housesim serving a hostile client: after a good login the client sends the input, and the
// server answers whatever it can. Afterwards the server must still serve a well-behaved
// client: no request may crash it, stall it or leave it deaf.
#include <cstdio>
#include <cstdlib>

#include "core/wire/message_types.h"
#include "fuzz/fuzz_target.h"
#include "sim/loopback_client_testutil.h"

namespace hv {

namespace {

// Rounds of the server loop the hostile bytes get; enough for every request of a seed to be
// read and answered.
constexpr int kHostileRounds = 40;

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace hv::sim;
  // Every input gets a fresh house, but reading the demo house's JSON is most of the cost of
  // making one, so it is read once.
  static const HouseData demo = DemoHouse();
  // The clients reach the server over socketpairs: no ports to run out of, however fast the
  // run goes.
  SimHarness sim(Options(), demo);
  LoopbackClient& hostile = sim.ConnectPair(true);
  if (!hostile.connected() || sim.server.LoggedInCount() != 1) {
    std::fprintf(stderr, "fuzz sim_server: the hostile client could not log in\n");
    std::abort();
  }
  hostile.SendRaw(data, size);
  sim.Settle(kHostileRounds);

  // One request with one answer shows the server alive and listening; a whole list would
  // spend most of each execution composing the same answers again.
  LoopbackClient& good = sim.ConnectPair(true);
  good.Send(msg::kGetClientQty);
  if (!sim.PumpUntil([&] { return !good.OfType(msg::kClientQty).empty(); })) {
    std::fprintf(stderr, "fuzz sim_server: the server no longer answers a good client\n");
    std::abort();
  }
  return 0;
}
