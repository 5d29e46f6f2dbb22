// HistoryWriter: writes the history on a thread of its own, so that the window never waits for
// the disk. The store is opened on that thread too, so a slow or damaged file never holds up
// the start. Samples and entries are queued by the window's thread and written in one
// transaction per batch (every quarter second, or sooner when a batch is full); the store is
// trimmed from time to time on the same thread. Ending the writer writes what is still queued.
//
// The queue in memory is bounded: when the writer falls behind (a whole activity log arriving
// at once) the newest batches wait in a file, so the window neither waits nor holds every row
// in memory; only when that file cannot be written does the window wait for the writer
// briefly, a batch at a time. With a folder beside the store the file is the house's named
// queue file (queue_journal.h), and every batch goes there before its turn: a client killed
// while its writer is held up loses at most the batch it was filling. Otherwise, or when
// another client holds that file, an unnamed temporary file takes the overflow.
// A writer held up for long (another client's write) lets the queue grow rather than freeze
// the window; nothing is dropped for it. Ending while held up leaves the queue in the named
// file for the next start instead of waiting for the other client.
//
// Activity entries are stored first and taken into the word index in the writer's idle time,
// a thousand at a time (a whole log arriving at once would otherwise be written at the pace of
// its words); searches read the entries not indexed yet themselves.
//
// When the disk is full the batch is dropped, one notice says that recording stopped, and
// every later batch tries again, so recording resumes by itself once there is room. A batch
// that waited too long for another client's write is kept for the next turn. A store found
// corrupt is moved aside and a new one started, with one notice, and recording goes on.
//
// The parts: the queue (writer_queue.h), the files batches wait in (queue_overflow.h) and the
// writer's end of the store (writer_store.h); this class is the thread and its wake-ups.
#ifndef HV_CLIENT_HISTORY_HISTORY_WRITER_H_
#define HV_CLIENT_HISTORY_HISTORY_WRITER_H_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "client/history/history_records.h"
#include "client/history/history_store.h"
#include "client/history/writer_queue.h"
#include "client/history/writer_store.h"

namespace hv::history {

struct HistoryWriterOptions {
  int batch_ms = 250;       // how long a sample may wait for its batch
  size_t wake_rows = 1024;  // this many waiting wake the writer at once
  // Rows queued beyond this make the window wait for the writer, at most max_wait_ms at a
  // time, and not again until the writer has written something.
  size_t max_pending_rows = 2048;
  int max_wait_ms = 200;
  // Rows beyond max_pending_rows wait in a temporary file, up to this size, instead of making
  // the window wait: a whole log arriving at once is received at full speed.
  // (Kept small: what waits there is written before the program ends, also on SIGTERM.)
  uint64_t max_spill_bytes = 16ULL * 1024 * 1024;
  // The same for the queue file beside the store: what waits there outlives the process, so
  // it may hold far more before rows wait in memory (and a kill could lose them).
  uint64_t max_journal_bytes = 256ULL * 1024 * 1024;
  // Where that file is made: beside the store, so that it takes disk and not the memory of a
  // /tmp in RAM; $TMPDIR when empty or when the folder takes no file.
  std::string spill_folder;
  int64_t trim_every_ms = 600'000;
  size_t max_queued = 1'000'000;  // beyond this (the disk cannot keep up) the oldest go
  HistoryLimits limits;
  // Milliseconds since 1970 UTC; the system's clock unless a test gives its own.
  std::function<int64_t()> now_ms;
};

class HistoryWriter {
 public:
  // Opens the store on the writer's thread; null with the reason in the status when it
  // cannot be opened (one notice says so, and nothing is recorded).
  using StoreOpener = WriterStore::Opener;

  HistoryWriter(StoreOpener open, HistoryWriterOptions options);
  HistoryWriter(std::unique_ptr<HistoryStore> store, HistoryWriterOptions options);
  // Writes what is queued, then ends the thread.
  ~HistoryWriter();
  HistoryWriter(const HistoryWriter&) = delete;
  HistoryWriter& operator=(const HistoryWriter&) = delete;

  void Add(const StatusSample& sample);
  void Add(ItemKind kind, std::string_view name, int64_t at_ms, int32_t status, double value);
  void Add(const LogRow& row);
  // The client stopped receiving at `at_ms` (the connection was lost, the program ends): from
  // there to each item's next sample its state is not known. The writer says so itself when
  // it ends, and at its start for a run that ended without saying so.
  void EndReceiving(int64_t at_ms);
  // A new connection to the house begins: the rows after this belong to its session.
  void StartSession();
  // Returns once everything queued before the call is written (or dropped for want of room).
  void Flush();
  // Returns once every entry written is in the word index too (or indexing failed): for
  // tests and benchmarks, as the window's searches read what is not indexed yet themselves.
  void WaitForIndex();
  void SetLimits(const HistoryLimits& limits);

  // Failures the user should see, once each time recording stops; taken on the window's
  // thread.
  std::vector<std::string> TakeNotices();
  bool recording_stopped() const;
  // Batches waiting in the temporary file (for tests).
  size_t spilled_batches() const;

 private:
  // Entries taken into the word index at a time, and how long the writer waits for rows
  // before it takes the next ones: short steps, so rows arriving meanwhile wait little.
  static constexpr size_t kIndexRows = 1000;
  static constexpr int kIndexPauseMs = 20;
  // How often a quiet writer notes that the client is still receiving.
  static constexpr int kBeatMs = 60'000;

  void Run();
  void StartStore(std::unique_lock<std::mutex>* lock);
  void WaitForWork(std::unique_lock<std::mutex>* lock, bool held_up);
  WriterTurn TakeTurn();
  bool WriteTurn(WriterTurn* turn, std::unique_lock<std::mutex>* lock);
  void DropAfterFailure(uint64_t serial);
  bool OpenStore(std::unique_lock<std::mutex>* lock);
  bool IndexSome(std::unique_lock<std::mutex>* lock);
  void WaitForRoom(std::unique_lock<std::mutex>* lock);
  void Queued();
  bool WriteBatch(HistoryBatch* batch, std::unique_lock<std::mutex>* lock);

  WriterStore store_;      // the thread's
  bool unusable_ = false;  // the store could not be opened: rows are dropped
  HistoryWriterOptions options_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable written_;
  std::condition_variable room_;             // the writer took a batch
  uint64_t turns_ = 0;                       // batches the writer has taken
  uint64_t waited_in_vain_at_ = UINT64_MAX;  // turns_ when the window last waited in vain
  WriterQueue queue_;
  HistoryBatch batch_;           // the writer's thread's: a batch unpacked for the store
  uint64_t queued_serial_ = 0;   // batches handed to the thread so far
  uint64_t written_serial_ = 0;  // of those, written (or dropped)
  bool stopping_ = false;
  std::chrono::steady_clock::time_point last_written_;
  bool trim_due_ = false;
  bool index_behind_ = true;  // entries may wait for the word index
  bool stopped_ = false;      // the last write failed: recording has stopped
  std::vector<std::string> notices_;
  std::thread thread_;
};

// Milliseconds since 1970-01-01 00:00 UTC from the system's clock.
int64_t SystemNowMs();

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_HISTORY_WRITER_H_
