// QueueOverflow: where the history writer's waiting batches go when they leave memory. With a
// folder beside the store it is the house's named queue file (queue_journal.h), which outlives
// the process and is replayed at the next start; otherwise, or when another client holds that
// file, an unnamed temporary file that goes with the process. Not locked itself: the writer
// calls it under its own lock, except where a method says otherwise.
#ifndef HV_CLIENT_HISTORY_QUEUE_OVERFLOW_H_
#define HV_CLIENT_HISTORY_QUEUE_OVERFLOW_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "client/history/pending_rows.h"
#include "client/history/queue_journal.h"

namespace hv::history {

class HistoryStore;

struct OverflowSizes {
  uint64_t max_spill_bytes = 0;    // the unnamed file's size
  uint64_t max_journal_bytes = 0;  // the queue file's size
  std::string spill_folder;        // where the files are made; $TMPDIR when empty
};

class QueueOverflow {
 public:
  explicit QueueOverflow(OverflowSizes sizes) : sizes_(std::move(sizes)) {}
  ~QueueOverflow();
  QueueOverflow(const QueueOverflow&) = delete;
  QueueOverflow& operator=(const QueueOverflow&) = delete;

  // True when a batch may go to the file now (making the unnamed one at first need).
  bool Ready();
  // Moves the batch's rows to the file, while it stays within its size.
  void Spill(PendingRows* rows);
  // Reads a spilled batch back into memory; false when its rows are lost.
  bool Restore(PendingRows* rows);
  // Empties the file: nothing waits in it any more.
  void Forget();
  // `count` batches were read back: the unnamed file is emptied once none waits in it.
  void NoteRestored(size_t count);
  // After a write: the queue file starts afresh once no batch waits (`queue_empty`).
  void AfterWrite(bool queue_empty);

  // Opens the queue file of the store's house and writes what an earlier run left in it that
  // the store does not hold yet; returns the rows that could not be read back. Called on the
  // writer's thread without the lock, before any batch may go to the file.
  size_t Replay(HistoryStore& store);
  // Under the lock, once Replay has run: batches may go to the queue file from now on.
  void StoreOpened();

  // The queue file is in use. Replay opens it on the writer's thread without the lock, so
  // until StoreOpened (under the lock) says it is done, nobody else may look at the file.
  bool journaled() const { return journal_tried_ && journal_.is_open(); }
  int64_t journal_id() const { return static_cast<int64_t>(journal_.id()); }
  size_t spilled_batches() const { return spilled_batches_; }

 private:
  static int OpenSpillFile(const std::string& folder);

  OverflowSizes sizes_;
  int spill_fd_ = -1;           // the unnamed file, once needed
  QueueJournal journal_;        // the queue file beside the store, when there is a folder
  bool journal_tried_ = false;  // the writer's thread has opened it, or found it taken
  bool spill_failed_ = false;   // the unnamed file could not be made: the window waits instead
  bool spill_full_ = false;     // the disk took no more: not used again until emptied
  uint64_t spill_end_ = 0;
  size_t spilled_batches_ = 0;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_QUEUE_OVERFLOW_H_
