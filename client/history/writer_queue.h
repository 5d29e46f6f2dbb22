// WriterQueue: the rows waiting for the history writer, in batches of about a thousand, oldest
// first, with the batch being filled after them. Batches beyond what memory should hold wait
// in the overflow file (queue_overflow.h); with a queue file beside the store every batch
// goes there as soon as it is full. The writer takes a few batches a turn. Not locked itself:
// the writer calls it under its own lock, except where a method says otherwise.
#ifndef HV_CLIENT_HISTORY_WRITER_QUEUE_H_
#define HV_CLIENT_HISTORY_WRITER_QUEUE_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "client/history/history_records.h"
#include "client/history/pending_rows.h"
#include "client/history/queue_overflow.h"

namespace hv::history {

class HistoryStore;

// The batches one turn of the writer takes.
struct WriterTurn {
  std::vector<PendingRows> work;
  uint64_t serial = 0;
  size_t samples = 0;
  bool empty = true;
  bool drained = false;
};

class WriterQueue {
 public:
  WriterQueue(size_t max_pending_rows, OverflowSizes overflow)
      : max_pending_rows_(max_pending_rows), overflow_(std::move(overflow)) {}
  WriterQueue(const WriterQueue&) = delete;
  WriterQueue& operator=(const WriterQueue&) = delete;

  void Add(ItemKind kind, std::string_view name, int64_t at_ms, int32_t status, double value);
  void Add(const LogRow& row);
  // The mark that the client stopped receiving at `at_ms`.
  void AddEnd(int64_t at_ms);
  // The rows after this start a batch of their own, which says that a session begins.
  void StartSession();

  // Rows queued, and of them those held in memory.
  size_t rows() const;
  size_t memory_rows() const;
  size_t samples() const { return queued_samples_; }
  bool empty() const { return full_.empty() && queued_.empty(); }
  size_t spilled_batches() const { return overflow_.spilled_batches(); }
  // True when a batch may leave memory for the overflow file now.
  bool SpillReady() { return overflow_.Ready(); }

  // Drops the samples of the oldest batches, at least `count` of them; returns how many went.
  size_t DropOldestSamples(size_t count);
  // Drops everything queued; a session the dropped rows began still begins with the next.
  void Clear(bool keep_session);

  // The oldest batches, a few a turn; `serial` is the writer's count of batches handed over.
  WriterTurn Take(uint64_t serial);
  // Reads the turn's rows back from the overflow file and appends them all to `batch`, with
  // how far into the queue file they reach; returns the batches read back and, in `lost`, the
  // rows that could not be. Called without the lock: it touches only the turn's rows.
  size_t ReadBack(WriterTurn* turn, HistoryBatch* batch, size_t* lost);
  void NoteReadBack(size_t restored) { overflow_.NoteRestored(restored); }
  void AfterWrite() { overflow_.AfterWrite(full_.empty()); }
  // The turn could not be written: its batches wait ahead of what came meanwhile.
  void PutBack(WriterTurn* turn);
  // The turn is written: its emptied batches are filled again.
  void Recycle(WriterTurn* turn);
  // Ending while the store is held up: the whole queue stays in the queue file for the next
  // start. False when there is no such file, or it does not take every row.
  bool LeaveInJournal();

  // See QueueOverflow::Replay (without the lock) and StoreOpened (with it).
  size_t Replay(HistoryStore& store) { return overflow_.Replay(store); }
  void StoreOpened();

 private:
  static constexpr size_t kBatchRows = 1024;
  // Waiting batches written in one transaction at most.
  static constexpr size_t kTurnBatches = 4;

  void Filled();
  void StartBatch();

  size_t max_pending_rows_;
  QueueOverflow overflow_;
  std::vector<PendingRows> full_;   // waiting batches of kBatchRows, oldest first
  PendingRows queued_;              // the batch being filled, after them
  std::vector<PendingRows> spare_;  // emptied by the writer, to be filled again
  size_t queued_samples_ = 0;       // samples in all of them
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_WRITER_QUEUE_H_
