// A flood of answers against the connection's receive loop: housesim (in-process) queues
// thousands of Log items at once, and the client must read them in slices, letting the
// event loop run timers and other watches (the termination signal's pipe) in between,
// without losing or reordering an answer.
#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "client/platform/poll_event_loop.h"
#include "client/platform/testing/fake_clock.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/server_requests.h"
#include "client/protocol/session_requests.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "client/protocol/testing/recording_activity_log.h"
#include "sim/loopback_client_testutil.h"
#include "tests/in_process_sim.h"

namespace hv {

namespace {

// Handling a log item takes a millisecond of the fake clock, and every event of the test
// goes into one sequence: "L" for a log item, other letters for the other events.
class TimedReceiver : public hv::test::RecordingReceiver {
 public:
  TimedReceiver(cFakeClock& clock, std::string& events) : clock_(clock), events_(events) {}
  Status Receive(const Answer& answer) override {
    if (std::holds_alternative<LogItemRecord>(answer)) {
      clock_.Advance(1);
      events_ += 'L';
    }
    return RecordingReceiver::Receive(answer);
  }

 private:
  cFakeClock& clock_;
  std::string& events_;
};

class FloodSession {
 public:
  FloodSession() : loop(clock, &sim.server), receiver(clock, events) {
    services.receiver = &receiver;
    services.activity_log = &log;
    services.event_loop = &loop;
    services.data_folder = data.path().c_str();
    connection = std::make_unique<cServerConnection>(context, services);
  }

  // Logs in with the log feed on, and waits until everything the login brought is read.
  bool LogInWithFeed() {
    if (connection->Connect("127.0.0.1", sim.server.port(), "demo", "demo").code() != 0)
      return false;
    if (SendGetLogItems(connection->Socket(), 1).code() != 0) return false;
    if (!PumpUntil([&] { return SawLog("Get log items"); })) return false;
    for (int i = 0; i < 200; ++i) loop.Pump(0);
    receiver.logs.clear();
    events.clear();
    return true;
  }

  // Lets the server write the whole flood into the socket before the client reads any, so
  // that no read has to wait (a wait runs the loop from inside a pass).
  bool FloodWaiting(size_t count) {
    if (sim.server.SendLogFloodToAll(count) != 1) return false;
    const int fd = connection->Socket()->Descriptor();
    int waiting = 0;
    int unchanged = 0;
    for (int i = 0; i < 5000 && unchanged < 50; ++i) {
      sim.server.RunOnce(0);
      int now = 0;
      ioctl(fd, FIONREAD, &now);
      unchanged = now == waiting ? unchanged + 1 : 0;
      waiting = now;
    }
    return static_cast<size_t>(waiting) >= count * 100;
  }

  bool PumpUntil(const std::function<bool()>& done, int rounds = 4000) {
    for (int i = 0; i < rounds; ++i) {
      loop.Pump(i % 50 == 49 ? 1 : 0);
      if (done()) return true;
    }
    return false;
  }

  bool SawLog(const std::string& text) const {
    for (const std::string& line : sim.log_lines) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }

  hv::test::cTempFolder data;
  hv::sim::SimHarness sim;
  cFakeClock clock;
  hv::test::cServerDrivenLoop loop;
  cProtocolContext context{clock};
  std::string events;
  TimedReceiver receiver;
  cRecordingActivityLog log;
  cSessionServices services;
  std::unique_ptr<cServerConnection> connection;
};

// The lengths of the runs of log items in an event sequence.
std::vector<size_t> LogRuns(const std::string& events) {
  std::vector<size_t> runs;
  size_t run = 0;
  for (char e : events) {
    if (e == 'L') {
      ++run;
    } else if (run > 0) {
      runs.push_back(run);
      run = 0;
    }
  }
  if (run > 0) runs.push_back(run);
  return runs;
}

TEST(ReceiveFlood, IsReadInSlicesWithTimersAndOtherWatchesRunningBetween) {
  FloodSession s;
  ASSERT_TRUE(s.LogInWithFeed());
  constexpr size_t kFlood = 300;
  ASSERT_TRUE(s.FloodWaiting(kFlood));

  // A pipe that is readable already, as the termination signal's would be, and a timer.
  int quit_pipe[2];
  ASSERT_EQ(pipe(quit_pipe), 0);
  ASSERT_EQ(write(quit_pipe[1], "q", 1), 1);
  const cEventLoop::WatchId quit = s.loop.WatchReadable(quit_pipe[0], [&] {
    char byte = 0;
    if (read(quit_pipe[0], &byte, 1) == 1) s.events += 'Q';
  });
  const cEventLoop::TimerId timer = s.loop.StartTimer(5, [&] { s.events += 'T'; });

  ASSERT_TRUE(s.PumpUntil([&] { return s.receiver.logs.size() >= kFlood; }));
  s.loop.StopTimer(timer);
  s.loop.RemoveWatch(quit);
  close(quit_pipe[0]);
  close(quit_pipe[1]);

  // Every item, once and in order.
  ASSERT_EQ(s.receiver.logs.size(), kFlood);
  for (size_t i = 0; i < kFlood; ++i) {
    ASSERT_EQ(std::string(s.receiver.logs[i].message.CStr()),
              "Flood entry " + std::to_string(i + 1));
  }
  // In slices of the receive loop's time (a millisecond per item), with the timer between
  // them, and the "signal" handled long before the flood was through.
  const std::vector<size_t> runs = LogRuns(s.events);
  EXPECT_GE(runs.size(), kFlood / cServerConnection::kReceiveSliceMs);
  for (size_t run : runs) EXPECT_LE(run, cServerConnection::kReceiveSliceMs);
  const size_t quit_at = s.events.find('Q');
  ASSERT_NE(quit_at, std::string::npos);
  EXPECT_LE(quit_at, cServerConnection::kReceiveSliceMs + 1);
  EXPECT_NE(s.events.find('T'), std::string::npos);

  // Once the flood is through the socket is watched again: a later answer arrives as usual.
  s.loop.Pump(0);
  EXPECT_FALSE(s.connection->ResumePending());
  ASSERT_EQ(SendGetClientQty(s.connection->Socket()).code(), 0);
  ASSERT_TRUE(s.PumpUntil([&] { return s.receiver.client_qty >= 1; }));
  EXPECT_TRUE(s.log.entries.empty());
}

TEST(ReceiveFlood, AGoodbyeAfterAFloodEndsTheConnectionOnlyOnceAllOfItIsRead) {
  FloodSession s;
  ASSERT_TRUE(s.LogInWithFeed());
  constexpr size_t kFlood = 200;
  ASSERT_TRUE(s.FloodWaiting(kFlood));
  s.sim.server.BeginShutdown();
  const cEventLoop::TimerId timer = s.loop.StartTimer(1, [&] { s.events += 'T'; });

  ASSERT_TRUE(s.PumpUntil([&] { return !s.connection->IsConnected(); }));
  s.loop.StopTimer(timer);
  EXPECT_GT(LogRuns(s.events).size(), 1u);  // it did take several passes
  EXPECT_EQ(s.receiver.logs.size(), kFlood);
  ASSERT_EQ(s.log.entries.size(), 1u);
  EXPECT_STREQ(s.log.entries[0].record.message.CStr(), "The server was shut down");
  EXPECT_EQ(s.receiver.connection_ended, 1);
  EXPECT_EQ(s.loop.TimerCount(), 0u);  // no resume left behind
}

TEST(ReceiveFlood, DroppingTheConnectionMidFloodCancelsTheResume) {
  FloodSession s;
  ASSERT_TRUE(s.LogInWithFeed());
  ASSERT_TRUE(s.FloodWaiting(200));
  s.loop.Pump(0);  // one slice
  ASSERT_TRUE(s.connection->ResumePending());
  const size_t read_so_far = s.receiver.logs.size();
  EXPECT_GT(read_so_far, 0u);
  EXPECT_LT(read_so_far, 200u);

  ASSERT_EQ(s.connection->Disconnect().code(), 0);
  EXPECT_FALSE(s.connection->ResumePending());
  EXPECT_EQ(s.loop.TimerCount(), 0u);
  for (int i = 0; i < 50; ++i) s.loop.Pump(0);
  EXPECT_EQ(s.receiver.logs.size(), read_so_far);
}

}  // namespace

}  // namespace hv
