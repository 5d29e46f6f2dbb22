#include "client/history/history_recorder.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "client/protocol/testing/recording_activity_log.h"
#include "core/testing/scoped_env.h"
#include "core/testing/temp_folder.h"

namespace hv::history {
namespace {

LogItemRecord ServerEntry(const char* message) {
  LogItemRecord entry;
  entry.entry_type = 6;
  entry.name = "Porch Light";
  entry.message = message;
  entry.function_code = 2;
  entry.date_text = "01/02/2026";
  entry.time_text = "10:00:00 AM";
  return entry;
}

class HistoryRecorderTest : public ::testing::Test {
 protected:
  std::unique_ptr<HistoryRecorder> MakeRecorder() {
    return std::make_unique<HistoryRecorder>(
        [this](const std::string& house) {
          ++opened_;
          Status status;
          return HistoryStore::Open(path_, house, &status);
        },
        &log_, [this] { return now_++; });
  }
  std::unique_ptr<HistoryStore> Reader(const std::string& house = "house:4000") {
    Status status;
    return HistoryStore::Open(path_, house, &status);
  }

  hv::test::cTempFolder folder_;
  std::string path_ = folder_.File("history.db");
  cRecordingActivityLog log_;
  int64_t now_ = 1'000;
  int opened_ = 0;
};

TEST_F(HistoryRecorderTest, ReconnectStoresNothingTwiceAndExitWritesWhatIsQueued) {
  for (int session = 0; session < 2; ++session) {
    auto recorder = MakeRecorder();
    recorder->ConnectionStarted("house:4000");
    for (int reconnect = 0; reconnect < 2; ++reconnect) {
      recorder->ConnectionStarted("house:4000");  // the server sends its log again
      recorder->AnswerReceived(ServerEntry("On"));
      recorder->AnswerReceived(ServerEntry("On"));  // a second, equal entry: kept
      SwitchRecord porch;
      porch.name = "Porch Light";
      porch.status = 2;
      recorder->AnswerReceived(porch);
      recorder->AnswerReceived(SwitchRecord{});  // the end of the list is no item
    }
    // The client's own entry, equal in both sessions and stamped like the log stamps it: both
    // kept, as they are two events.
    LogItemRecord lost = MakeClientError("Connection is lost", "The server closed it");
    lost.date_text = "01/02/2026";
    lost.time_text = "10:00:00 AM";
    recorder->ClientEntryAdded(lost);
    MacroStatusRecord macro;
    macro.name = "Wake up";
    macro.status = static_cast<uint32_t>(3 - session);
    recorder->AnswerReceived(macro);
    // No Flush: ending the recorder writes the queued batch.
  }
  auto reader = Reader();
  std::vector<StoredEvent> events = reader->Events(0, INT64_MAX, {}, 100);
  int entries = 0, samples = 0;
  for (const StoredEvent& event : events) (event.kind == ItemKind::kLogName ? entries : samples)++;
  EXPECT_EQ(entries, 2 + 2);
  // The switch once per connection: after the connection was lost, or the program ended, its
  // state was not known until the server told it again. The macro's two states.
  EXPECT_EQ(samples, 4 + 2);
  EXPECT_EQ(reader->Items().size(), 2u);
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(HistoryRecorderTest, TimeWithoutTheServerOrTheProgramIsAGapNotTheLastState) {
  {
    auto recorder = MakeRecorder();
    recorder->ConnectionStarted("house:4000");
    SwitchRecord porch;
    porch.name = "Porch Light";
    porch.status = 2;                 // on
    recorder->AnswerReceived(porch);  // at 1000
    now_ = 3'000;                     // a quiet house until the connection is lost at 3000
    recorder->ConnectionEnded();
    now_ = 5'000;  // and comes back at 5000
    recorder->ConnectionStarted("house:4000");
    recorder->AnswerReceived(porch);
    now_ = 9'000;  // the program ends at 9000
  }
  now_ = 20'000;
  {
    // Started again at 20000: the switch is reported on again.
    auto recorder = MakeRecorder();
    recorder->ConnectionStarted("house:4000");
    SwitchRecord porch;
    porch.name = "Porch Light";
    porch.status = 2;
    recorder->AnswerReceived(porch);
    recorder->Flush();
    now_ = 30'000;
    auto reader = Reader();
    PixelReduction columns(0, 30'000, 30);
    ASSERT_TRUE(reader->Reduce(reader->Items()[0].id, 30'000, &columns).ok());
    auto known = [&](int second) {
      return columns.columns()[static_cast<size_t>(second)].known_ms;
    };
    EXPECT_EQ(known(0), 0);                       // before the first answer
    EXPECT_EQ(columns.columns()[2].on_ms, 1000);  // on from the answer until the loss
    EXPECT_EQ(known(3), 0);                       // the connection was lost at 3000
    EXPECT_EQ(known(6), 1000);                    // back from 5000
    EXPECT_EQ(known(12), 0);                      // the program did not run
    EXPECT_EQ(columns.columns()[12].on_ms, 0);
    EXPECT_EQ(known(25), 1000);
  }
}

TEST_F(HistoryRecorderTest, RecordingOffKeepsNothingAndEachHouseHasItsOwnHistory) {
  auto recorder = MakeRecorder();
  HistorySettings off;
  off.record = false;
  recorder->Apply(off);
  recorder->ConnectionStarted("house:4000");
  ModeStatusRecord away;
  away.name = "Away";
  away.state = 1;
  recorder->AnswerReceived(away);
  EXPECT_EQ(opened_, 0);
  recorder->Apply(HistorySettings{});
  recorder->AnswerReceived(away);
  recorder->ConnectionStarted("other:4000");
  away.state = 0;
  recorder->AnswerReceived(away);
  recorder->Flush();
  EXPECT_EQ(Reader()->Events(0, INT64_MAX, {}, 10).size(), 1u);
  EXPECT_EQ(Reader("other:4000")->Events(0, INT64_MAX, {}, 10).size(), 1u);
}

TEST_F(HistoryRecorderTest, EntriesBeforeTheFirstLoginAreKeptForTheHouseBeingConnected) {
  auto recorder = MakeRecorder();
  recorder->ClientEntryAdded(MakeClientError("Unable to connect", "Connection refused"));
  EXPECT_EQ(opened_, 0);  // no house known: nothing to keep it in
  recorder->ClientEntryAdded(MakeClientError("Unable to connect", "Connection refused"),
                             "house:4000");
  recorder->ConnectionStarted("house:4000");  // the same house logs in at last
  recorder->AnswerReceived(ServerEntry("On"));
  recorder->Flush();
  EXPECT_EQ(opened_, 1);
  EXPECT_EQ(Reader()->Events(0, INT64_MAX, {}, 10).size(), 2u);
}

TEST_F(HistoryRecorderTest, AStoreThatCannotOpenIsOneErrorEntry) {
  path_ = "/proc/no/such/history.db";
  auto recorder = MakeRecorder();
  recorder->ConnectionStarted("house:4000");
  recorder->ConnectionStarted("house:4000");
  recorder->AnswerReceived(SensorStatusRecord{});
  recorder->Flush();  // the writer's thread opens the store; Flush reports what it met
  ASSERT_EQ(log_.entries.size(), 1u);
  EXPECT_EQ(log_.entries[0].record.entry_type, kEntryError);
  EXPECT_TRUE(log_.entries[0].stored);
}

TEST_F(HistoryRecorderTest, AStoreFoundCorruptWhileRecordingIsSetAsideAndRecordingGoesOn) {
  auto recorder = MakeRecorder();
  recorder->ConnectionStarted("house:4000");
  auto sample = [&](const char* name, uint32_t status) {
    SwitchRecord lamp;
    lamp.name = name;
    lamp.status = status;
    recorder->AnswerReceived(lamp);
    recorder->Flush();
  };
  for (int i = 0; i < 200; ++i) sample(("Lamp " + std::to_string(i)).c_str(), 2);
  // Another program spoils the file's pages; a write of its own (through the store's WAL) makes
  // the recorder's connection read them again rather than trust what it holds in memory.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &other), SQLITE_OK);
  // The recorder's writer may still hold the store for a moment after Flush (a slow machine
  // shows it): the other program waits its turn, as a real one would.
  sqlite3_busy_timeout(other, 10'000);
  ASSERT_EQ(sqlite3_exec(other, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr),
            SQLITE_OK);
  {
    std::fstream file(path_, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(4096);
    file << std::string(static_cast<size_t>(std::filesystem::file_size(path_)) - 4096, '\x5a');
  }
  ASSERT_EQ(sqlite3_exec(other, "PRAGMA user_version = 7", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);

  sample("Porch Light", 3);
  ASSERT_EQ(log_.entries.size(), 1u);
  EXPECT_EQ(log_.entries[0].record.entry_type, kEntryError);
  EXPECT_NE(std::string(log_.entries[0].record.message.CStr()).find(".corrupt-"),
            std::string::npos);
  sample("Porch Light", 2);  // recording goes on, with no further entry
  EXPECT_EQ(log_.entries.size(), 1u);
  auto reader = Reader();
  ASSERT_EQ(reader->Items().size(), 1u);
  EXPECT_EQ(reader->Events(0, INT64_MAX, {}, 10).size(), 2u);
  int aside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
    aside += entry.path().filename().string().rfind("history.db.corrupt-", 0) == 0;
  }
  EXPECT_EQ(aside, 1);
}

TEST(HistoryWriterTest, FullDiskStopsRecordingWithOneNoticeAndResumes) {
  auto store = HistoryStore::OpenInMemory("house:1");
  HistoryStore* raw = store.get();
  raw->LimitPagesForTest(raw->UsedBytes() / 4096 + 1);  // room for no batch
  HistoryWriterOptions options;
  options.now_ms = [] { return int64_t{0}; };
  // Each round is queued whole before the writer looks.
  options.wake_rows = options.max_pending_rows = 100'000;
  HistoryWriter writer(std::move(store), options);
  writer.Flush();  // the first trim is done; the store is the writer's alone from here
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 5000; ++i) {
      writer.Add(StatusSample{ItemKind::kSensor, "T", round * 5000 + i, 17, i * 1.0});
    }
    writer.Flush();
  }
  EXPECT_TRUE(writer.recording_stopped());
  std::vector<std::string> notices = writer.TakeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("disk is full"), std::string::npos);
  raw->LimitPagesForTest(0);  // room again (the writer is idle between batches)
  writer.Add(StatusSample{ItemKind::kSensor, "T", 99'999, 17, 1.0});
  writer.Flush();
  EXPECT_FALSE(writer.recording_stopped());
  EXPECT_TRUE(writer.TakeNotices().empty());
  EXPECT_EQ(raw->Points(raw->Items().at(0).id, 0, INT64_MAX).size(), 1u);
}

TEST(HistoryWriterTest, ALostServerDropsNothingAndSaysNothingOnceItIsBack) {
  auto store = HistoryStore::OpenInMemory("house:1");
  HistoryStore* raw = store.get();
  HistoryWriterOptions options;
  options.now_ms = [] { return int64_t{0}; };
  HistoryWriter writer(std::move(store), options);
  writer.Add(StatusSample{ItemKind::kSwitch, "Lamp", 1, 2, 0});
  writer.EndReceiving(2);  // the server is lost
  writer.Flush();
  writer.StartSession();  // and back
  writer.Add(StatusSample{ItemKind::kSwitch, "Lamp", 3, 3, 0});
  writer.Add(StatusSample{ItemKind::kSwitch, "Lamp", 4, 2, 0});
  writer.Flush();
  EXPECT_TRUE(writer.TakeNotices().empty());
  EXPECT_EQ(raw->Points(raw->Items().at(0).id, 0, INT64_MAX).size(), 4u);
}

TEST(HistoryWriterTest, ABatchThatWaitsForAnotherClientIsKeptForTheNextTurn) {
  hv::test::cTempFolder folder;
  Status status;
  auto store = HistoryStore::Open(folder.File("history.db"), "house:1", &status);
  ASSERT_NE(store, nullptr);
  store->SetBusyTimeoutForTest(10);
  HistoryWriterOptions options;
  options.now_ms = [] { return int64_t{0}; };
  HistoryWriter writer(std::move(store), options);
  writer.Flush();
  auto other = HistoryStore::Open(folder.File("history.db"), "house:1", &status);
  ASSERT_NE(other, nullptr);
  // The other client holds the write lock through a batch of its own that is still open.
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(folder.File("history.db").c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  writer.Add(StatusSample{ItemKind::kSwitch, "Lamp", 1, 2, 0});
  writer.Flush();
  EXPECT_FALSE(writer.recording_stopped());
  EXPECT_TRUE(writer.TakeNotices().empty());
  ASSERT_EQ(sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(holder);
  writer.Add(StatusSample{ItemKind::kSwitch, "Lamp", 2, 3, 0});
  writer.Flush();
  ASSERT_EQ(other->Items().size(), 1u);
  EXPECT_EQ(other->Points(other->Items()[0].id, 0, INT64_MAX).size(), 2u);  // nothing lost
}

// A whole log at once, from a house whose two sessions send it twice.
void AddLogTwice(HistoryWriter& writer) {
  for (int session = 0; session < 2; ++session) {
    writer.StartSession();
    for (int i = 0; i < 20'000; ++i) {
      LogRow row;
      row.at_ms = i;
      row.name = "Console";
      row.message = "Entry " + std::to_string(i % 10'000);  // each twice in the session
      row.date_text = "01/02/2026";
      row.time_text = "10:00:00 AM";
      writer.Add(std::move(row));
    }
  }
}

TEST(HistoryWriterTest, AWriterBehindHoldsTheWindowBrieflyAndLosesNothing) {
  hv::test::cTempFolder folder;
  Status status;
  auto store = HistoryStore::Open(folder.File("history.db"), "house:1", &status);
  ASSERT_NE(store, nullptr);
  HistoryStore* raw = store.get();
  HistoryWriterOptions options;
  options.now_ms = [] { return int64_t{0}; };
  options.max_pending_rows = 100;
  options.max_spill_bytes = 0;  // no room on disk either: the window waits for the writer
  HistoryWriter writer(std::move(store), options);
  // Far more than may wait: the queue never holds it all, and every entry is kept. The same
  // log again after a reconnect adds nothing.
  AddLogTwice(writer);
  writer.Flush();
  EXPECT_EQ(raw->Events(0, INT64_MAX, {}, 100'000).size(), 20'000u);
  // The word index takes the entries in once nothing else waits.
  writer.WaitForIndex();
  bool more = true;
  ASSERT_TRUE(raw->IndexLog(1, &more).ok());
  EXPECT_FALSE(more);
  EXPECT_EQ(raw->SearchLog("entry 9999", 10).size(), 2u);
}

TEST(HistoryWriterTest, RowsTheWriterCannotTakeYetWaitOnDiskInOrder) {
  hv::test::cTempFolder folder;
  hv::test::cScopedEnv tmp("TMPDIR", folder.path());
  Status status;
  auto store = HistoryStore::Open(folder.File("history.db"), "house:1", &status);
  ASSERT_NE(store, nullptr);
  store->SetBusyTimeoutForTest(10);
  HistoryStore* raw = store.get();
  HistoryWriterOptions options;
  options.now_ms = [] { return int64_t{0}; };
  options.max_pending_rows = 100;
  options.spill_folder = folder.path();  // beside the store, as the program has it
  HistoryWriter writer(std::move(store), options);
  writer.Flush();
  // Another client holds the store: the writer takes nothing while the whole log arrives.
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(folder.File("history.db").c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  AddLogTwice(writer);
  EXPECT_GT(writer.spilled_batches(), 10u);
  ASSERT_EQ(sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(holder);
  writer.Flush();
  EXPECT_EQ(writer.spilled_batches(), 0u);
  // Written in the order they came: each session's count of equal entries matched.
  std::vector<StoredEvent> events = raw->Events(0, INT64_MAX, {}, 100'000);
  EXPECT_EQ(events.size(), 20'000u);
  EXPECT_EQ(raw->SearchLog("entry 9999", 10).size(), 2u);
  // Nothing is left in the folder but the store and its emptied queue file.
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    EXPECT_EQ(entry.path().filename().string().rfind("history.db", 0), 0u) << entry.path();
  }
}

TEST(HistoryWriterTest, EndingWhileAnotherClientHoldsTheStoreLeavesTheQueueForTheNextStart) {
  hv::test::cTempFolder folder;
  const std::string path = folder.File("history.db");
  Status status;
  HistoryWriterOptions options;
  options.now_ms = [] { return int64_t{5'000'000}; };
  options.spill_folder = folder.path();
  sqlite3* holder = nullptr;
  {
    auto store = HistoryStore::Open(path, "house:1", &status);
    ASSERT_NE(store, nullptr);
    store->SetBusyTimeoutForTest(10);
    HistoryWriter writer(std::move(store), options);
    writer.Flush();
    ASSERT_EQ(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    for (int i = 0; i < 3'000; ++i) {
      writer.Add(ItemKind::kSensor, "Cellar", 1'000'000 + i, 17, static_cast<double>(i));
    }
  }  // ends without waiting for the other client
  ASSERT_EQ(sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(holder);
  { HistoryWriter writer(HistoryStore::Open(path, "house:1", &status), options); }
  auto reader = HistoryStore::Open(path, "house:1", &status);
  ASSERT_NE(reader, nullptr);
  std::vector<ItemPoint> points = reader->Points(reader->Items()[0].id, 0, INT64_MAX);
  ASSERT_EQ(points.size(), 3'001u);  // every row, then where the client stopped receiving
  EXPECT_EQ(points[2'999].value, 2'999.0);
  EXPECT_EQ(points.back().status, kNotReceiving);
}

TEST(HistoryWriterTest, AKilledClientLosesAtMostTheBatchItWasFillingNeverItsQueue) {
  hv::test::cTempFolder folder;
  const std::string path = folder.File("history.db");
  Status status;
  ASSERT_NE(HistoryStore::Open(path, "house:1", &status), nullptr);
  int opened[2], go[2], queued[2];
  ASSERT_EQ(pipe(opened), 0);
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(queued), 0);
  constexpr int kRows = 20'000;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The client: its writer is held up by another client for as long as it lives.
    Status opened_status;
    auto store = HistoryStore::Open(path, "house:1", &opened_status);
    if (store == nullptr) _exit(1);
    store->SetBusyTimeoutForTest(10);
    HistoryWriterOptions options;
    options.now_ms = [] { return int64_t{5'000'000}; };
    options.spill_folder = folder.path();
    auto* writer = new HistoryWriter(std::move(store), options);  // killed, never ended
    char c = 'o';
    if (write(opened[1], &c, 1) != 1 || read(go[0], &c, 1) != 1) _exit(1);
    for (int i = 0; i < kRows; ++i) {
      writer->Add(ItemKind::kSensor, "Cellar", 1'000'000 + i, 17, static_cast<double>(i));
      // Returns once the writer has taken the first rows, still a batch being filled, and
      // found the store held: they wait for their turn again.
      if (i == 500) writer->Flush();
    }
    if (write(queued[1], &c, 1) != 1) _exit(1);
    for (;;) pause();
  }
  char c;
  ASSERT_EQ(read(opened[0], &c, 1), 1);
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
  // The client's writer may be in its own first short transaction (its start marks): wait it
  // out, then hold the store for as long as the client lives.
  sqlite3_busy_timeout(holder, 10'000);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_EQ(write(go[1], &c, 1), 1);
  ASSERT_EQ(read(queued[0], &c, 1), 1);
  ASSERT_EQ(kill(child, SIGKILL), 0);
  int child_status = 0;
  ASSERT_EQ(waitpid(child, &child_status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(child_status));
  ASSERT_EQ(sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(holder);
  for (int* fds : {opened, go, queued}) {
    close(fds[0]);
    close(fds[1]);
  }

  // The next start writes the queue the killed client left, once.
  HistoryWriterOptions options;
  options.now_ms = [] { return int64_t{9'000'000}; };
  options.spill_folder = folder.path();
  {
    HistoryWriter writer(HistoryStore::Open(path, "house:1", &status), options);
    writer.Flush();
    EXPECT_TRUE(writer.TakeNotices().empty());
  }
  auto reader = HistoryStore::Open(path, "house:1", &status);
  ASSERT_NE(reader, nullptr);
  std::vector<ItemPoint> points = reader->Points(reader->Items()[0].id, 0, INT64_MAX);
  // After the last row it knew of, the killed client's time is unknown.
  ASSERT_FALSE(points.empty());
  EXPECT_EQ(points.back().status, kNotReceiving);
  points.pop_back();
  // Lost at most the rows of the batch being filled when the client died, the newest ones;
  // the batch the writer had taken and was waiting to write with came back from the queue
  // file like every other, once and in order.
  ASSERT_FALSE(points.empty());
  EXPECT_GE(points.size(), static_cast<size_t>(kRows - 1023));
  for (size_t i = 0; i < points.size(); ++i) {
    ASSERT_EQ(points[i].value, static_cast<double>(i)) << "every row once, in order";
  }
  // A second start finds nothing more to replay.
  { HistoryWriter again(HistoryStore::Open(path, "house:1", &status), options); }
  EXPECT_EQ(reader->Points(reader->Items()[0].id, 0, INT64_MAX).size(), points.size() + 1);
}

}  // namespace
}  // namespace hv::history
