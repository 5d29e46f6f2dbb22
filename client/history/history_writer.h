// HistoryWriter: writes the history on a thread of its own, so that the window never waits for
// the disk. Samples and entries are queued by the window's thread and written in one
// transaction per batch (every quarter second, or sooner when many wait); the store is trimmed
// from time to time on the same thread. Ending the writer writes what is still queued.
//
// When the disk is full the batch is dropped, one notice says that recording stopped, and
// every later batch tries again, so recording resumes by itself once there is room. A batch
// that waited too long for another client's write is kept for the next turn. A store found
// corrupt is moved aside and a new one started, with one notice, and recording goes on.
#ifndef HV_CLIENT_HISTORY_HISTORY_WRITER_H_
#define HV_CLIENT_HISTORY_HISTORY_WRITER_H_

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "client/history/history_records.h"
#include "client/history/history_store.h"

namespace hv::history {

struct HistoryWriterOptions {
  int batch_ms = 250;         // how long a sample may wait for its batch
  size_t batch_rows = 20000;  // a batch this large is written at once
  int64_t trim_every_ms = 600'000;
  size_t max_queued = 1'000'000;  // beyond this (the disk cannot keep up) the oldest go
  HistoryLimits limits;
  // Milliseconds since 1970 UTC; the system's clock unless a test gives its own.
  std::function<int64_t()> now_ms;
};

class HistoryWriter {
 public:
  HistoryWriter(std::unique_ptr<HistoryStore> store, HistoryWriterOptions options);
  // Writes what is queued, then ends the thread.
  ~HistoryWriter();
  HistoryWriter(const HistoryWriter&) = delete;
  HistoryWriter& operator=(const HistoryWriter&) = delete;

  void Add(StatusSample sample);
  void Add(LogRow row);
  // Returns once everything queued before the call is written (or dropped for want of room).
  void Flush();
  void SetLimits(const HistoryLimits& limits);
  // Asks for a trim at the next batch.
  void TrimSoon();

  // Failures the user should see, once each time recording stops; taken on the window's
  // thread.
  std::vector<std::string> TakeNotices();
  bool recording_stopped() const;

 private:
  static constexpr size_t kQueuedBatchRows = 4096;

  void Run();
  void Queued();
  size_t QueuedRows() const;  // full batches counted whole
  void DropOldestSamples(size_t count);
  bool WriteBatch(HistoryBatch* batch, std::unique_lock<std::mutex>* lock);

  std::unique_ptr<HistoryStore> store_;
  HistoryWriterOptions options_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable written_;
  std::vector<HistoryBatch> full_;  // waiting batches of kQueuedBatchRows, oldest first
  HistoryBatch queued_;             // the batch being filled, after them
  size_t queued_samples_ = 0;       // samples in all of them
  uint64_t queued_serial_ = 0;      // batches handed to the thread so far
  uint64_t written_serial_ = 0;     // of those, written (or dropped)
  bool stopping_ = false;
  bool trim_due_ = false;
  bool stopped_ = false;  // the last write failed: recording has stopped
  std::vector<std::string> notices_;
  std::thread thread_;
};

// Milliseconds since 1970-01-01 00:00 UTC from the system's clock.
int64_t SystemNowMs();

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_HISTORY_WRITER_H_
