// The client's connection, requests and answers against housesim over loopback TCP. The
// server runs in-process on the test's thread: the client's event loop runs a round of the
// server whenever it pumps, so a blocking read on the client lets the server write.
#include <gtest/gtest.h>

#include <netdb.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/platform/poll_event_loop.h"
#include "client/platform/testing/fake_clock.h"
#include "client/protocol/command_file_request.h"
#include "client/protocol/item_requests.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/request_failures.h"
#include "client/protocol/request_sender.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/server_requests.h"
#include "client/protocol/session_requests.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "client/protocol/testing/recording_services.h"
#include "client/protocol/vh_socket.h"
#include "client/protocol/video_requests.h"
#include "core/testing/scoped_env.h"
#include "core/testing/temp_folder.h"
#include "sim/loopback_client_testutil.h"
#include "tests/in_process_sim.h"

namespace hv {

namespace {

using hv::test::Bytes;

hv::sim::Options SimOptions(uint32_t version = 3, bool old_server = false) {
  hv::sim::Options options;
  options.wire.version = version;
  options.wire.old_server = old_server;
  return options;
}

class Session : public hv::test::cRecordingServices {
 public:
  explicit Session(hv::sim::Options options, bool with_loop = true,
                   hv::sim::HouseData house = hv::sim::DemoHouse())
      : sim(std::move(options), std::move(house)), loop(clock, &sim.server) {
    services.event_loop = with_loop ? &loop : nullptr;
    services.data_folder = data.path().c_str();
    connection = std::make_unique<cServerConnection>(context, services);
  }

  int32_t Login(const char* user = "demo", const char* password = "demo") {
    int32_t rc = connection->Connect("127.0.0.1", sim.server.port(), user, password).code();
    if (rc == 0) PumpUntil([&] { return SawLog(" accepted") || SawLog(" rejected"); });
    return rc;
  }

  bool PumpUntil(const std::function<bool()>& done, int rounds = 4000) {
    for (int i = 0; i < rounds; ++i) {
      loop.Pump(i % 50 == 49 ? 1 : 0);
      if (done()) return true;
    }
    // What the server did and what the client reported, to explain the failure.
    for (const std::string& line : sim.log_lines) std::printf("housesim: %s\n", line.c_str());
    for (const auto& e : log.entries) {
      std::printf("entry: %s / %s\n", e.record.name.CStr(), e.record.message.CStr());
    }
    std::printf(
        "received: %zu switches, %zu sensors, %zu macros, %zu modes, %zu logs, "
        "%zu thumbnails, %zu sources, %zu times, %zu opened\n",
        receiver.switches.size(), receiver.sensors.size(), receiver.macros.size(),
        receiver.modes.size(), receiver.logs.size(), receiver.thumbnails.size(),
        receiver.video_sources.size(), receiver.server_times.size(), shell.opened.size());
    return false;
  }
  // A few rounds, for checking that something does not arrive.
  void Settle(int rounds = 100) {
    for (int i = 0; i < rounds; ++i) loop.Pump(i % 50 == 49 ? 1 : 0);
  }

  bool SawLog(const std::string& text) const {
    return std::any_of(sim.log_lines.begin(), sim.log_lines.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
  }
  size_t CountLog(const std::string& suffix) const {
    return static_cast<size_t>(
        std::count_if(sim.log_lines.begin(), sim.log_lines.end(), [&](const std::string& l) {
          return l.size() >= suffix.size() &&
                 l.compare(l.size() - suffix.size(), suffix.size(), suffix) == 0;
        }));
  }
  cRemoteClientSocket* socket() const { return connection->Socket(); }
  bool SwitchListDone() const {
    return !receiver.switches.empty() && receiver.switches.back().name.GetLength() == 0;
  }

  hv::test::cTempFolder data;
  hv::sim::SimHarness sim;
  cFakeClock clock;
  hv::test::cServerDrivenLoop loop;
  cProtocolContext context{clock};
  std::unique_ptr<cServerConnection> connection;
};

void ExpectTerminated(const cRecordingActivityLog& log, const char* message, size_t entries = 1) {
  ASSERT_EQ(log.entries.size(), entries);
  const LogItemRecord& e = log.entries[0].record;
  EXPECT_EQ(e.entry_type, 3);
  EXPECT_STREQ(e.name.CStr(), "Connection terminated");
  EXPECT_STREQ(e.message.CStr(), message);
  EXPECT_EQ(e.function_code, 254);
  EXPECT_EQ(e.detail1, 0);
  EXPECT_EQ(e.detail2, 5);
  EXPECT_FALSE(log.entries[0].stored);
}

// --- every answer, in every header form ---

struct WireCase {
  uint32_t version;
  bool old_server;
};

// Each case gets a temporary folder of its own, so that the check for left-over "VHX"
// files does not see those of tests running beside it.
class AnswersInEveryForm : public ::testing::TestWithParam<WireCase> {
 protected:
  hv::test::cTempFolder own_tmp_;
  hv::test::cScopedEnv tmpdir_{"TMPDIR", own_tmp_.path()};
};

TEST_P(AnswersInEveryForm, InitialRequestsAreAnsweredAndDecoded) {
  Session s(SimOptions(GetParam().version, GetParam().old_server));
  ASSERT_EQ(s.Login(), 0);
  cRemoteClientSocket* sock = s.socket();
  ASSERT_NE(sock, nullptr);
  ASSERT_EQ(SendGetSwitches(sock).code(), 0);
  ASSERT_EQ(SendGetSensors(sock).code(), 0);
  ASSERT_EQ(SendGetMacros(sock).code(), 0);
  ASSERT_EQ(SendGetModes(sock).code(), 0);
  ASSERT_EQ(SendGetLogItems(sock, 250).code(), 0);
  ASSERT_EQ(SendGetControlFileName(sock).code(), 0);
  ASSERT_EQ(SendGetClientQty(sock).code(), 0);
  ASSERT_EQ(SendGetLightDark(sock).code(), 0);
  ASSERT_EQ(SendGetServerTime(sock).code(), 0);
  ASSERT_EQ(SendGetDawnDusk(sock).code(), 0);
  ASSERT_EQ(SendGetVideoSources(sock).code(), 0);
  ASSERT_EQ(SendGetThumbnails(sock, 100).code(), 0);
  const hv::test::RecordingReceiver& r = s.receiver;
  ASSERT_TRUE(s.PumpUntil([&] {
    return s.SwitchListDone() && !r.sensors.empty() && r.sensors.back().name.GetLength() == 0 &&
           !r.macros.empty() && r.macros.back().name.GetLength() == 0 && !r.modes.empty() &&
           r.modes.back().name.GetLength() == 0 && !r.server_times.empty() && r.dusk != 0 &&
           !r.video_sources.empty() && !r.thumbnails.empty() && r.client_qty >= 1 &&
           r.light_dark >= 0 && !r.control_file_name.empty();
  }));
  s.Settle();
  EXPECT_TRUE(s.log.entries.empty());
  EXPECT_EQ(sock->ProtocolVersion(), GetParam().version);

  auto porch = std::find_if(r.switches.begin(), r.switches.end(),
                            [](const SwitchRecord& x) { return x.name == "Porch Light"; });
  ASSERT_NE(porch, r.switches.end());
  EXPECT_STREQ(porch->description.CStr(), "Front porch lantern");
  EXPECT_EQ(porch->kind, 1u);
  EXPECT_EQ(porch->status, 3u);  // Off
  auto temp = std::find_if(r.sensors.begin(), r.sensors.end(),
                           [](const SensorRecord& x) { return x.name == "Living Room Temp"; });
  ASSERT_NE(temp, r.sensors.end());
  if (GetParam().old_server) {
    // No f64 on the wire: the value is the integer one.
    EXPECT_EQ(temp->value, static_cast<double>(temp->value_as_integer));
    EXPECT_EQ(temp->io_kind, 0u);
  } else {
    EXPECT_DOUBLE_EQ(temp->value, 21.5);
    EXPECT_EQ(temp->io_kind, 4u);
  }
  EXPECT_EQ(r.control_file_name, "C:\\Varnholt\\Data\\Maple Street.vhc");
  for (size_t i = 0; i < r.thumbnails.size(); ++i) {
    const Bytes& picture = r.thumbnail_bytes[i];
    ASSERT_GE(picture.size(), 4u);
    EXPECT_EQ(picture[0], 0xFF);  // a whole JPEG: start and end markers
    EXPECT_EQ(picture[1], 0xD8);
    EXPECT_EQ(picture[picture.size() - 2], 0xFF);
    EXPECT_EQ(picture[picture.size() - 1], 0xD9);
    if (GetParam().version < 3) {
      EXPECT_EQ(r.thumbnails[i].is_clip, 0);
      EXPECT_STREQ(r.thumbnails[i].clip_path.CStr(), "");
    }
  }
  // Gathered thumbnails share one temporary file, kept while connected for the next to
  // write over: unnamed on this file system, and named ones never outlive the connection.
  auto temporary_files = [this] {
    size_t count = 0;
    for (const std::string& name : hv::test::FolderEntries(own_tmp_.path())) {
      if (name.rfind("VHX", 0) == 0) ++count;
    }
    return count;
  };
  EXPECT_LE(temporary_files(), 1u);
  ASSERT_EQ(s.connection->Disconnect().code(), hv::kOk);
  EXPECT_EQ(temporary_files(), 0u);
}

INSTANTIATE_TEST_SUITE_P(HeaderForms, AnswersInEveryForm,
                         ::testing::Values(WireCase{1, false}, WireCase{2, false},
                                           WireCase{3, false}, WireCase{3, true}),
                         [](const auto& wire) {
                           return "Version" + std::to_string(wire.param.version) +
                                  (wire.param.old_server ? "OldServer" : "");
                         });

TEST(Answers, MultiBlockAnswersSentOutOfOrderAreReassembled) {
  hv::sim::Options options = SimOptions();
  options.wire.chunk_size = 300;
  Session in_order(options);
  options.wire.out_of_order = true;
  Session shuffled(options);
  for (Session* s : {&in_order, &shuffled}) {
    ASSERT_EQ(s->Login(), 0);
    ASSERT_EQ(SendGetThumbnails(s->socket(), 3).code(), 0);
    ASSERT_TRUE(s->PumpUntil([&] { return s->receiver.thumbnails.size() >= 3; }));
    s->Settle();
    EXPECT_TRUE(s->log.entries.empty());
  }
  ASSERT_EQ(in_order.receiver.thumbnail_bytes.size(), shuffled.receiver.thumbnail_bytes.size());
  for (size_t i = 0; i < in_order.receiver.thumbnail_bytes.size(); ++i) {
    EXPECT_GT(in_order.receiver.thumbnail_bytes[i].size(), 600u);  // several blocks each
    EXPECT_EQ(in_order.receiver.thumbnail_bytes[i], shuffled.receiver.thumbnail_bytes[i]);
  }
}

TEST(Answers, FullPictureSentOutOfOrderIsStoredByItsFilePartAndOpened) {
  hv::sim::Options options = SimOptions();
  options.wire.out_of_order = true;
  Session s(options);
  ASSERT_EQ(s.Login(), 0);
  ASSERT_EQ(SendGetThumbnails(s.socket(), 1).code(), 0);
  ASSERT_TRUE(s.PumpUntil([&] { return !s.receiver.thumbnails.empty(); }));
  const ThumbnailRecord& t = s.receiver.thumbnails[0];
  ASSERT_EQ(
      SendGetFullPicture(s.socket(), t.source_name.CStr(), t.picture_path.CStr(), t.time_stamp)
          .code(),
      0);
  ASSERT_TRUE(s.PumpUntil([&] { return !s.shell.opened.empty(); }));
  EXPECT_TRUE(s.log.entries.empty());
  std::string stored = s.shell.opened[0];
  EXPECT_EQ(std::filesystem::path(stored).parent_path(), s.data.path());
  EXPECT_EQ(hv::test::FolderEntries(s.data.path()).size(), 1u);
  Bytes picture = hv::test::ReadWholeFile(stored);
  ASSERT_GT(picture.size(), 600u);
  EXPECT_EQ(picture[0], 0xFF);
  EXPECT_EQ(picture.back(), 0xD9);
}

TEST(Answers, TinyPiecesStillMakeWholeAnswers) {
  hv::sim::Options options = SimOptions();
  options.trickle_bytes = 3;
  Session s(options);
  ASSERT_EQ(s.Login(), 0);
  ASSERT_EQ(SendGetSwitches(s.socket()).code(), 0);
  ASSERT_TRUE(s.PumpUntil([&] { return s.SwitchListDone(); }, 20000));
  EXPECT_GT(s.receiver.switches.size(), 5u);
  EXPECT_TRUE(s.log.entries.empty());
}

TEST(Answers, LogItemsAreIgnoredUntilGetLogItemsWasSentOnThisSocket) {
  Session s(SimOptions());
  ASSERT_EQ(s.Login(), 0);
  // The server's feed is turned on without the client sending Get log items itself.
  ASSERT_TRUE(SendFields(s.socket(), 5, uint32_t{10}).ok());
  // A change the server logs and pushes to its log feed.
  ASSERT_EQ(SendSetSwitchStatus(s.socket(), "Porch Light", 2, 0, 0, 0.0).code(), 0);
  ASSERT_TRUE(s.PumpUntil([&] { return !s.receiver.switch_status.empty(); }));
  ASSERT_EQ(SendGetClientQty(s.socket()).code(), 0);  // answered after anything pushed before it
  ASSERT_TRUE(s.PumpUntil([&] { return s.receiver.client_qty >= 1; }));
  EXPECT_TRUE(s.receiver.logs.empty());

  ASSERT_EQ(SendGetLogItems(s.socket(), 10).code(), 0);
  ASSERT_TRUE(s.PumpUntil([&] { return !s.receiver.logs.empty(); }));
  EXPECT_TRUE(s.log.entries.empty());
}

TEST(Answers, ServerMessageAndLaunchProgramReachOnlyTheirTarget) {
  Session s(SimOptions());
  ASSERT_EQ(s.Login(), 0);
  s.sim.server.SendServerMessage("ALL", false, "Notice", "Hello all");
  s.sim.server.SendServerMessage("bob", false, "Private", "Not for demo");
  s.sim.server.SendServerMessage("Demo", true, "Plain", "For demo");
  s.sim.server.SendLaunchProgram("bob", "/usr/bin/true", "", "", "open");
  s.sim.server.SendLaunchProgram("all", "/usr/bin/true", "-x \"a b\"", "/tmp", "open");
  ASSERT_TRUE(s.PumpUntil([&] { return !s.receiver.launches.empty(); }));
  s.Settle();
  ASSERT_EQ(s.receiver.server_messages.size(), 2u);
  EXPECT_STREQ(s.receiver.server_messages[0].text.CStr(), "Hello all");
  EXPECT_STREQ(s.receiver.server_messages[0].caption.CStr(), "Notice");
  EXPECT_EQ(s.receiver.server_messages[0].plain, 0u);
  EXPECT_EQ(s.receiver.server_messages[1].plain, 1u);
  ASSERT_EQ(s.receiver.launches.size(), 1u);
  EXPECT_STREQ(s.receiver.launches[0].parameters.CStr(), "-x \"a b\"");
  EXPECT_STREQ(s.receiver.launches[0].directory.CStr(), "/tmp");
}

TEST(Answers, CommandResponseIsStoredInTheDataFolder) {
  Session s(SimOptions());
  ASSERT_EQ(s.Login(), 0);
  std::string command = s.data.File("cmd.txt");
  {
    std::ofstream out(command);
    out << "switch \"Porch Light\" on\n";
  }
  ASSERT_EQ(SendCommandFile(s.socket(), command.c_str(), "C:\\VHCmdResponse.txt").code(), 0);
  ASSERT_TRUE(s.PumpUntil([&] { return !s.receiver.responses.empty(); }));
  EXPECT_EQ(s.receiver.responses[0].first, "C:\\VHCmdResponse.txt");
  EXPECT_EQ(s.receiver.responses[0].second, s.data.File("VHCmdResponse.txt"));
  EXPECT_FALSE(hv::test::ReadWholeFile(s.data.File("VHCmdResponse.txt")).empty());
}

// --- the session ---

TEST(Session, WrongPasswordEndsWithTheServersGoodbye) {
  Session s(SimOptions());
  ASSERT_EQ(s.Login("demo", "wrong"), 0);
  ASSERT_TRUE(s.PumpUntil([&] { return !s.connection->IsConnected(); }));
  ExpectTerminated(s.log, "The server rejected the login", 2);
  // Nothing came before the Goodbye, so the user is told what most likely went wrong.
  const LogItemRecord& hint = s.log.entries[1].record;
  EXPECT_EQ(hint.entry_type, 3);
  EXPECT_STREQ(hint.name.CStr(), "Login");
  EXPECT_NE(std::string(hint.message.CStr()).find("user name or password may be wrong"),
            std::string::npos);
  EXPECT_EQ(s.loop.WatchCount(), 0u);
  EXPECT_TRUE(s.connection->LoginRefused());
}

TEST(Session, ServerShutdownAfterAnswersDoesNotBlameThePassword) {
  Session s(SimOptions());
  ASSERT_EQ(s.Login(), 0);
  ASSERT_EQ(SendGetClientQty(s.socket()).code(), 0);
  ASSERT_TRUE(s.PumpUntil([&] { return s.receiver.client_qty >= 1; }));
  s.sim.server.BeginShutdown();
  ASSERT_TRUE(s.PumpUntil([&] { return !s.connection->IsConnected(); }));
  ExpectTerminated(s.log, "The server was shut down");
  EXPECT_FALSE(s.connection->LoginRefused());
}

// What the server sends right after the login that the client cannot read, and the read
// error that ends the connection without harm.
struct UnreadableCase {
  const char* name;
  bool hv::sim::Options::*fault;
  const char* message;
};

class UnreadableAnswer : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableAnswer, EndsTheConnectionWithAReadError) {
  hv::sim::Options options = SimOptions();
  options.*GetParam().fault = true;
  Session s(options);
  ASSERT_EQ(s.Login(), 0);
  ASSERT_TRUE(s.PumpUntil([&] { return !s.connection->IsConnected(); }));
  ExpectTerminated(s.log, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Session, UnreadableAnswer,
    ::testing::Values(UnreadableCase{"UnknownBlockType",
                                     &hv::sim::Options::unknown_block_after_login,
                                     "Read error: -2147217309"},
                      UnreadableCase{"Garbage", &hv::sim::Options::garbage_after_login,
                                     "Read error: -2147213309"}),
    [](const ::testing::TestParamInfo<UnreadableCase>& param) { return param.param.name; });

TEST(Session, TwoBlocksThatArriveTogetherAreHandledInOneNotification) {
  Session s(SimOptions(), /*with_loop=*/false);
  ASSERT_EQ(s.connection->Connect("127.0.0.1", s.sim.server.port(), "demo", "demo").code(), 0);
  ASSERT_EQ(SendGetLightDark(s.socket()).code(), 0);
  ASSERT_EQ(SendGetClientQty(s.socket()).code(), 0);
  // Let the server answer both before the client looks.
  int waiting = 0;
  int fd = s.socket()->Descriptor();
  ASSERT_TRUE(s.sim.PumpUntil([&] {
    ioctl(fd, FIONREAD, &waiting);
    return s.SawLog("Get client qty") && waiting >= 2 * 38 + 2 + 4;
  }));
  s.sim.Settle(20);
  EXPECT_EQ(s.connection->OnDataArrived().code(), 0);
  EXPECT_GE(s.receiver.light_dark, 0);
  EXPECT_GE(s.receiver.client_qty, 1);
  EXPECT_TRUE(s.connection->IsConnected());
}

TEST(Session, EveryKnownEndOfTheConnectionShowsAtOnce) {
  // A Goodbye, a bad block, or the server closing without a word: the socket goes, nothing
  // watches it any more, HeardFromServer drops and the receiver hears of it, once.
  struct cCase {
    const char* name;
    void (*set)(hv::sim::Options*);
    const char* message_start;
  };
  const cCase cases[] = {
      {"goodbye", [](hv::sim::Options*) {}, "The server was shut down"},
      {"bad block", [](hv::sim::Options* o) { o->unknown_block_after_login = true; },
       "Read error: -2147217309"},
      {"closed", [](hv::sim::Options* o) { o->close_without_goodbye = true; },
       "The server was shut down"},
  };
  for (const cCase& c : cases) {
    SCOPED_TRACE(c.name);
    hv::sim::Options options = SimOptions();
    c.set(&options);
    Session s(options);
    s.context.SetHeardFromServer(1);
    ASSERT_EQ(s.Login(), 0);
    if (std::string(c.name) == "goodbye") {
      s.sim.server.BeginShutdown();
    } else if (std::string(c.name) == "closed") {
      s.sim.server.DropAllWithoutGoodbye();
    }
    ASSERT_TRUE(s.PumpUntil([&] { return !s.connection->IsConnected(); }));
    EXPECT_EQ(s.loop.WatchCount(), 0u);
    EXPECT_EQ(s.context.HeardFromServer(), 0);
    EXPECT_EQ(s.receiver.connection_ended, 1);
    ASSERT_EQ(s.log.entries.size(), 1u);
    EXPECT_STREQ(s.log.entries[0].record.name.CStr(), "Connection terminated");
    EXPECT_EQ(std::string(s.log.entries[0].record.message.CStr()).rfind(c.message_start, 0), 0u);
  }
}

TEST(Session, AfterTheServerClosedALoginStartsAFreshSession) {
  hv::sim::Options options = SimOptions();
  options.close_without_goodbye = true;
  Session s(options);
  ASSERT_EQ(s.Login(), 0);
  s.sim.server.DropAllWithoutGoodbye();
  ASSERT_TRUE(s.PumpUntil([&] { return !s.connection->IsConnected(); }));
  EXPECT_EQ(s.connection->Disconnect().code(), hv::kNotConnected);
  ASSERT_EQ(s.Login(), 0);
  ASSERT_EQ(SendGetServerTime(s.socket()).code(), 0);
  ASSERT_TRUE(s.PumpUntil([&] { return !s.receiver.server_times.empty(); }));
  EXPECT_EQ(s.receiver.connection_ended, 1);
}

TEST(Session, ConnectWhileConnectedReplacesTheSocketSilently) {
  Session s(SimOptions());
  ASSERT_EQ(s.Login(), 0);
  cRemoteClientSocket* first = s.socket();
  ASSERT_EQ(SendGetLogItems(first, 5).code(), 0);
  ASSERT_EQ(s.Login(), 0);
  EXPECT_EQ(s.socket()->LogFeedOn(), 0);  // nothing of the old socket survives
  EXPECT_EQ(s.socket()->ProtocolVersion(), 3u);
  s.Settle();
  EXPECT_EQ(s.CountLog(": Logoff"), 0u);
  EXPECT_EQ(s.CountLog(": Goodbye"), 0u);
  EXPECT_EQ(s.sim.server.LoggedInCount(), 1u);
  EXPECT_EQ(s.loop.WatchCount(), 1u);
}

TEST(Session, DisconnectSendsLogoffAndGoodbyeThenCloses) {
  Session s(SimOptions());
  ASSERT_EQ(s.Login(), 0);
  size_t lines_before = s.sim.log_lines.size();
  EXPECT_EQ(s.connection->Disconnect().code(), 0);
  EXPECT_FALSE(s.connection->IsConnected());
  EXPECT_EQ(s.loop.WatchCount(), 0u);
  ASSERT_TRUE(s.sim.PumpUntil([&] { return s.sim.server.ConnectionCount() == 0; }));
  std::vector<std::string> requests;
  for (size_t i = lines_before; i < s.sim.log_lines.size(); ++i) {
    const std::string& l = s.sim.log_lines[i];
    if (l.find(": Logoff") != std::string::npos || l.find(": Goodbye") != std::string::npos ||
        l.find("request") != std::string::npos) {
      requests.push_back(l.substr(l.find(": ") + 2));
    }
  }
  EXPECT_EQ(requests, (std::vector<std::string>{"Logoff", "Goodbye"}));
  EXPECT_EQ(s.connection->Disconnect().code(), hv::kNotConnected);
}

TEST(Session, FailedRequestsAreReportedAndNothingWithoutASocket) {
  Session s(SimOptions());
  EXPECT_EQ(SendReportingFailure(*s.connection, &s.log, failure::kGetMacros,
                                 [](cRemoteClientSocket* sock) { return SendGetMacros(sock); })
                .code(),
            hv::kNotConnected);
  EXPECT_TRUE(s.log.entries.empty());
  // A socket whose peer has gone (not yet noticed by a read): the send fails and says so.
  ASSERT_EQ(s.Login(), 0);
  s.Settle();
  s.sim.server.DropAllWithoutGoodbye();
  s.sim.Settle(20);
  int32_t rc = 0;
  for (int i = 0; i < 50 && rc >= 0; ++i) {
    rc = SendReportingFailure(*s.connection, &s.log, failure::kGetMacros,
                              [](cRemoteClientSocket* sock) { return SendGetMacros(sock); })
             .code();
  }
  EXPECT_EQ(rc, hv::kSendFailed);
  ASSERT_FALSE(s.log.entries.empty());
  EXPECT_STREQ(s.log.entries.back().record.name.CStr(), "Connection is lost");
  EXPECT_STREQ(s.log.entries.back().record.message.CStr(),
               "Get macros command not sent successfully");
}

TEST(Session, ConnectionRefusedLeavesNoSocket) {
  Session s(SimOptions());
  uint16_t port = s.sim.server.port();
  // A port nobody listens on: the listening socket of a server that is gone.
  EXPECT_EQ(s.connection->Connect("127.0.0.1", 1, "demo", "demo").code(), hv::kCannotConnect);
  EXPECT_FALSE(s.connection->IsConnected());
  EXPECT_EQ(s.connection->Connect("no-such-host.invalid", port, "demo", "demo").code(),
            hv::kCannotConnect);
  EXPECT_EQ(s.connection->Connect("localhost", port, "demo", "demo").code(), 0);
  EXPECT_TRUE(s.connection->IsConnected());

  // Each failure leaves a stored entry that says why and where to look.
  ASSERT_EQ(s.log.entries.size(), 2u);
  for (const auto& entry : s.log.entries) {
    EXPECT_STREQ(entry.record.name.CStr(), "Unable to Connect");
    EXPECT_EQ(entry.record.entry_type, 3);
    EXPECT_TRUE(entry.stored);
  }
  EXPECT_STREQ(s.log.entries[0].record.message.CStr(),
               "127.0.0.1, port 1: connection refused. Check the port in Setup and that the "
               "server is running.");
  EXPECT_EQ(
      std::string(s.log.entries[1].record.message.CStr())
          .rfind("no-such-host.invalid, port " + std::to_string(port) + ": host not found", 0),
      0u);
}

TEST(Session, ConnectFailuresAreDescribedInAFewWords) {
  EXPECT_EQ(DescribeConnectFailure(0, ECONNREFUSED), "connection refused");
  EXPECT_EQ(DescribeConnectFailure(0, ETIMEDOUT), "timed out");
  EXPECT_EQ(DescribeConnectFailure(0, EHOSTUNREACH), "host unreachable");
  EXPECT_EQ(DescribeConnectFailure(EAI_NONAME, 0), "host not found");
  EXPECT_EQ(DescribeConnectFailure(EAI_AGAIN, 0).rfind("host not found", 0), 0u);
  // A port out of range never reaches the network.
  cVhSocket socket;
  const Status connected = socket.Connect("127.0.0.1", 70000);
  EXPECT_TRUE(connected.Is(Where::kSocket, hv::kCannotConnect));
  EXPECT_EQ(connected.message(), "the port is above 65535");
}

// --- text ---

// The house is UTF-8 and so is what the user types; the wire between the two programs is the
// server's code page, Windows-1252, and the names the server sent go back to it byte for byte.
TEST(Session, AccentedTextTravelsInTheServersCodePage) {
  hv::sim::HouseData house = hv::sim::DemoHouse();
  house.users.push_back({"Zo\xC3\xAB", "cr\xC3\xA8me"});
  hv::sim::SwitchItem lamp;
  lamp.name = "Caf\xC3\xA9 Lamp";
  house.switches.push_back(lamp);
  Session s(SimOptions(), true, std::move(house));

  ASSERT_EQ(s.Login("Zo\xC3\xAB", "cr\xC3\xA8me"), 0);
  ASSERT_TRUE(s.SawLog(" accepted"));

  ASSERT_EQ(SendGetSwitches(s.socket()).code(), hv::kOk);
  ASSERT_TRUE(s.PumpUntil([&] { return s.SwitchListDone(); }));
  const SwitchRecord* received = nullptr;
  for (const SwitchRecord& r : s.receiver.switches) {
    if (std::string(r.name.CStr()).rfind("Caf", 0) == 0) received = &r;
  }
  ASSERT_NE(received, nullptr);
  EXPECT_STREQ(received->name.CStr(), "Caf\xE9 Lamp");

  // The row's name goes back exactly as it came, and the server finds its switch by it.
  const std::string name = received->name.CStr();
  ASSERT_EQ(SendSetSwitchStatus(s.socket(), name.c_str(), 2, 0, 0, 0.0).code(), hv::kOk);
  ASSERT_TRUE(s.PumpUntil([&] {
    return !s.receiver.switch_status.empty() &&
           s.receiver.switch_status.back().name == name.c_str();
  }));
  EXPECT_EQ(s.sim.house.FindSwitch("Caf\xC3\xA9 Lamp")->status, 2u);

  // Typed text goes out in the code page and comes back in it in the server's log entry...
  ASSERT_EQ(SendGetLogItems(s.socket(), 10).code(), hv::kOk);
  ASSERT_EQ(SendUserMessage(s.socket(), "D\xC3\xA9j\xC3\xA0 vu").code(), hv::kOk);
  const auto logged = [&](const char* message) {
    for (const LogItemRecord& r : s.receiver.logs) {
      if (r.message == message) return true;
    }
    return false;
  };
  ASSERT_TRUE(s.PumpUntil([&] { return logged("D\xE9j\xE0 vu"); }));
  EXPECT_EQ(s.sim.house.RecentLog(1)[0].message, "D\xC3\xA9j\xC3\xA0 vu");
  // ... and text with a character the code page lacks stays UTF-8 all the way.
  ASSERT_EQ(SendUserMessage(s.socket(), "Tea \xE2\x98\x95 \xC3\xA9").code(), hv::kOk);
  ASSERT_TRUE(s.PumpUntil([&] { return logged("Tea \xE2\x98\x95 \xC3\xA9"); }));
  EXPECT_EQ(s.sim.house.RecentLog(1)[0].message, "Tea \xE2\x98\x95 \xC3\xA9");
}

}  // namespace

}  // namespace hv
