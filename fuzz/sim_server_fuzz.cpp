// housesim serving a hostile client: after a good login the client sends the input, and the
// server answers whatever it can. Afterwards the server must still serve a well-behaved
// client: no request may crash it, stall it or leave it deaf.
#include <cstdio>
#include <cstdlib>

#include "core/wire/message_types.h"
#include "fuzz/fuzz_target.h"
#include "sim/loopback_client_testutil.h"

namespace {

// Rounds of the server loop the hostile bytes get; enough for every request of a seed to be
// read and answered.
constexpr int kHostileRounds = 40;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace hv::sim;
  SimHarness sim;
  LoopbackClient& hostile = sim.Connect(true);
  // Each input costs two loopback connections whose ports linger in TIME_WAIT for a minute;
  // when a fast run has used them all up, the input is skipped rather than reported.
  if (!hostile.connected() || sim.server.LoggedInCount() != 1) return 0;
  hostile.SendRaw(data, size);
  sim.Settle(kHostileRounds);

  LoopbackClient& good = sim.Connect(true);
  if (!good.connected()) return 0;
  good.Send(msg::kGetSwitches);
  const size_t items = sim.house.data().switches.size() + 1;
  if (!sim.PumpUntil([&] { return good.OfType(msg::kSwitchItem).size() >= items; })) {
    std::fprintf(stderr, "fuzz sim_server: the server no longer answers a good client\n");
    std::abort();
  }
  return 0;
}
