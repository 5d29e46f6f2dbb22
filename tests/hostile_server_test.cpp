// The client against a housesim that misbehaves: one that stops writing half-way through a
// block (and stays silent, or closes), and one that sends what a hostile server would. The
// client must never hang or crash, must say what happened, must be able to connect again,
// must keep every file it receives inside its data folder and must never run anything
// through a shell. The server runs in-process on the test's thread, as in the session tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/platform/poll_event_loop.h"
#include "client/platform/spawn_shell.h"
#include "client/platform/system_clock.h"
#include "client/platform/testing/fake_clock.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "client/protocol/testing/recording_services.h"
#include "sim/loopback_client_testutil.h"
#include "tests/in_process_sim.h"

namespace hv {

namespace {

namespace fs = std::filesystem;

// The client's event loop: gives the server a round on every pump and lets the client's clock
// run, so a read that waits for a silent server reaches its time limit in a few pumps.
class cTickingLoop : public hv::test::cServerDrivenLoop {
 public:
  // `fake` is the clock to advance, null when the client runs on the real clock.
  cTickingLoop(const cClock& clock, cFakeClock* fake, hv::sim::Server& server)
      : cServerDrivenLoop(clock, &server), fake_(fake) {}
  void Pump(uint32_t wait_ms) override {
    if (fake_ != nullptr) fake_->Advance(advance_per_pump_ms);
    cServerDrivenLoop::Pump(wait_ms);
  }
  uint32_t advance_per_pump_ms = 0;

 private:
  cFakeClock* fake_;
};

class Session : public hv::test::cRecordingServices {
 public:
  // With `real_time` the client runs on the system clock, and its time limits take real time.
  explicit Session(hv::sim::Options options, hv::sim::HouseData house = hv::sim::DemoHouse(),
                   bool real_time = false)
      : sim(std::move(options), std::move(house)),
        clock(real_time ? static_cast<cClock&>(system_clock) : fake_clock),
        loop(clock, real_time ? nullptr : &fake_clock, sim.server) {
    fs::create_directories(DataFolder());
    data_folder_text = DataFolder().string();
    services.event_loop = &loop;
    services.data_folder = data_folder_text.c_str();
    connection = std::make_unique<cServerConnection>(context, services);
  }

  fs::path Root() const { return root.path(); }
  fs::path DataFolder() const { return Root() / "data"; }

  int32_t Login(const char* user = "demo", const char* password = "demo") {
    return connection->Connect("127.0.0.1", sim.server.port(), user, password).code();
  }
  bool PumpUntil(const std::function<bool()>& done, int rounds = 20000) {
    for (int i = 0; i < rounds; ++i) {
      loop.Pump(i % 50 == 49 ? 1 : 0);
      if (done()) return true;
    }
    for (const std::string& line : sim.log_lines) std::printf("housesim: %s\n", line.c_str());
    return false;
  }
  std::string LastEntry() const {
    if (log.entries.empty()) return "";
    const auto& record = log.entries.back().record;
    return std::string(record.name.CStr()) + ": " + record.message.CStr();
  }

  hv::test::cTempFolder root{"hostile"};
  std::string data_folder_text;
  hv::sim::SimHarness sim;
  cFakeClock fake_clock;
  cSystemClock system_clock;
  cClock& clock;
  cTickingLoop loop;
  cProtocolContext context{clock};
  std::unique_ptr<cServerConnection> connection;
};

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// --- a server that stops half-way through a block ---

hv::sim::Options CutAfter(uint64_t bytes, bool closes) {
  hv::sim::Options options;
  // Every answer starts with a 38-byte header: 40 bytes is inside the first block.
  options.cut_after_bytes = bytes;
  options.cut_closes = closes;
  return options;
}

TEST(FaultyServer, StallHalfWayThroughABlockEndsAfterTheTimeLimitAndReconnectWorks) {
  Session s(CutAfter(40, /*closes=*/false));
  s.loop.advance_per_pump_ms = 250;
  ASSERT_EQ(s.Login(), 0);
  const uint32_t start = s.clock.TickCount();
  ASSERT_TRUE(s.PumpUntil([&] { return !s.connection->IsConnected(); }, 2000))
      << "the client waits for a stalled server forever";
  const uint32_t waited = s.clock.TickCount() - start;
  // The read gives up at the 15 s limit, not long after and not before.
  EXPECT_GE(waited, 15000u);
  EXPECT_LT(waited, 20000u);
  ASSERT_FALSE(s.log.entries.empty());
  EXPECT_EQ(s.LastEntry().rfind("Connection terminated: ", 0), 0u) << s.LastEntry();
  // The next liveness check connects again.
  EXPECT_EQ(s.Login(), 0);
  EXPECT_TRUE(s.connection->IsConnected());
}

// The same on the real clock: 15 s of real time, so only scripts/faults runs it.
TEST(FaultyServer, StallInRealTime) {
  if (std::getenv("HV_REAL_TIME_FAULTS") == nullptr) GTEST_SKIP() << "scripts/faults runs this";
  Session s(CutAfter(40, /*closes=*/false), hv::sim::DemoHouse(), /*real_time=*/true);
  ASSERT_EQ(s.Login(), 0);
  const uint32_t start = s.clock.TickCount();
  ASSERT_TRUE(s.PumpUntil([&] { return !s.connection->IsConnected(); }, 1000000));
  const uint32_t waited = s.clock.TickCount() - start;
  std::printf("a stalled server was given up after %u ms\n", waited);
  EXPECT_GE(waited, 15000u);
  EXPECT_LT(waited, 20000u);
  EXPECT_EQ(s.LastEntry().rfind("Connection terminated: ", 0), 0u) << s.LastEntry();
  EXPECT_EQ(s.Login(), 0);
}

TEST(FaultyServer, ServerDyingMidBlockIsReportedAndReconnectWorks) {
  for (uint64_t cut : {1u, 20u, 40u}) {
    SCOPED_TRACE("cut after " + std::to_string(cut) + " bytes");
    Session s(CutAfter(cut, /*closes=*/true));
    ASSERT_EQ(s.Login(), 0);
    ASSERT_TRUE(s.PumpUntil([&] { return !s.connection->IsConnected(); }));
    ASSERT_EQ(s.log.entries.size(), 1u);
    EXPECT_EQ(s.LastEntry().rfind("Connection terminated: ", 0), 0u) << s.LastEntry();
    EXPECT_EQ(s.loop.WatchCount(), 0u) << "a dead socket is still watched";
    EXPECT_EQ(s.Login(), 0);
  }
}

// --- a hostile server ---

TEST(HostileServer, FilesStayInTheDataFolderNothingRunsThroughAShellAndTheFloodArrives) {
  hv::sim::Options options;
  options.hostile = true;
  Session s(options);
  size_t messages = 0;
  size_t refused = 0;
  // Each login ends with another answer the client must not take as it stands: a response
  // without a file part ends the connection; a field whose length runs past the block ends it
  // too, or (a text field, which an older server may leave short) reads as empty. Either way
  // the client reports, keeps running and logs in again.
  for (size_t round = 0; round < hv::sim::RequestAnswerer::kHostileEndings; ++round) {
    SCOPED_TRACE("login " + std::to_string(round + 1));
    ASSERT_EQ(s.Login(), 0);
    ASSERT_TRUE(s.PumpUntil([&] {
      return !s.connection->IsConnected() ||
             s.receiver.server_messages.size() - messages >=
                 static_cast<size_t>(hv::sim::RequestAnswerer::kHostileMessageFlood);
    }));
    for (int i = 0; i < 200 && s.connection->IsConnected(); ++i) s.loop.Pump(0);
    if (s.connection->IsConnected()) {
      EXPECT_GE(round, 4u) << "a response without a file part was taken";
      EXPECT_EQ(s.connection->Disconnect().code(), 0);
    } else {
      ++refused;
      ASSERT_EQ(s.log.entries.size(), refused);
      EXPECT_EQ(s.LastEntry().rfind("Connection terminated: Read error", 0), 0u) << s.LastEntry();
    }
    // Every message of the flood arrived, in order, and nothing besides.
    ASSERT_EQ(s.receiver.server_messages.size() - messages,
              static_cast<size_t>(hv::sim::RequestAnswerer::kHostileMessageFlood));
    EXPECT_STREQ(s.receiver.server_messages.back().text.CStr(), "Server message 1000");
    messages = s.receiver.server_messages.size();
  }
  EXPECT_GE(refused, 5u);

  // Nothing was written beside the data folder, and inside it only plain file names.
  EXPECT_EQ(Entries(s.Root()), std::vector<std::string>{"data"});
  EXPECT_EQ(Entries(s.DataFolder()),
            (std::vector<std::string>{"hostile-absolute.txt", "hostile-backslash.txt",
                                      "hostile-escape.txt", "hostile-windows.txt"}));
  for (const auto& response : s.receiver.responses) {
    EXPECT_EQ(fs::path(response.second).parent_path(), s.DataFolder()) << response.second;
  }

  // The Launch program arrived as sent; started as the program starts it, nothing runs
  // through a shell, so no "hostile-ran" appears.
  ASSERT_GE(s.receiver.launches.size(), hv::sim::RequestAnswerer::kHostileEndings);
  const LaunchProgramRecord& launch = s.receiver.launches[0];
  EXPECT_STREQ(launch.file.CStr(), hv::sim::RequestAnswerer::kHostileLaunchFile);
  EXPECT_STREQ(launch.parameters.CStr(), hv::sim::RequestAnswerer::kHostileLaunchParameters);
  cSpawnShell real_shell;
  const fs::path run_folder = s.Root() / "run";
  fs::create_directories(run_folder);
  EXPECT_TRUE(real_shell
                  .Execute(launch.verb.CStr(), launch.file.CStr(), launch.parameters.CStr(),
                           run_folder.c_str(), static_cast<int32_t>(launch.show_command))
                  .failed())
      << "a program named with shell metacharacters was found";
  real_shell.WaitForChildren();
  EXPECT_TRUE(Entries(run_folder).empty());
}

// --- secrets ---

TEST(Secrets, PasswordsNeverAppearInLogsOrOnStandardError) {
  const std::string secret = "Pw-9f3k-never-shown";
  const std::string wrong = "Wr0ng-9f3k-never-shown";
  hv::sim::HouseData house = hv::sim::DemoHouse();
  house.users.push_back({"ann", secret});
  testing::internal::CaptureStderr();
  {
    Session s(hv::sim::Options(), house);
    ASSERT_EQ(s.Login("ann", wrong.c_str()), 0);
    ASSERT_TRUE(s.PumpUntil([&] { return !s.connection->IsConnected(); }));
    ASSERT_EQ(s.Login("ann", secret.c_str()), 0);
    ASSERT_TRUE(s.PumpUntil([&] {
      return std::any_of(s.sim.log_lines.begin(), s.sim.log_lines.end(),
                         [](const std::string& l) { return l.find(" accepted") != l.npos; });
    }));
    EXPECT_EQ(s.connection->Disconnect().code(), 0);
    std::string everything;
    for (const std::string& line : s.sim.log_lines) everything += line + "\n";
    for (const auto& e : s.log.entries) {
      everything += std::string(e.record.name.CStr()) + e.record.message.CStr() + "\n";
    }
    EXPECT_NE(everything.find("ann"), std::string::npos) << "the logins were not logged at all";
    EXPECT_EQ(everything.find("9f3k"), std::string::npos) << everything;
  }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.find("9f3k"), std::string::npos) << err;
}

}  // namespace

}  // namespace hv
