#include "client/history/writer_queue.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace hv::history {

void WriterQueue::Add(ItemKind kind, std::string_view name, int64_t at_ms, int32_t status,
                      double value) {
  queued_.Add(kind, name, at_ms, status, value);
  ++queued_samples_;
  Filled();
}

void WriterQueue::Add(const LogRow& row) {
  queued_.Add(row);
  Filled();
}

void WriterQueue::AddEnd(int64_t at_ms) {
  queued_.Add(EndOfReceiving(at_ms));
  // Counted like any sample: the turn that takes the mark counts it among its samples, and a
  // count left one short would run below zero and drop the next rows as if the disk could
  // not keep up.
  ++queued_samples_;
  Filled();
}

void WriterQueue::StartSession() {
  if (!queued_.empty()) StartBatch();
  queued_.new_session = true;
}

void WriterQueue::Filled() {
  if (queued_.size() >= kBatchRows) StartBatch();
}

// The batch being filled waits for the writer; a new one is filled in the room of one the
// writer has emptied, when there is one.
void WriterQueue::StartBatch() {
  full_.push_back(std::move(queued_));
  // With a queue file beside the store every batch goes there at once: a client killed then
  // loses only the batch it was filling.
  if (overflow_.journaled() || memory_rows() >= max_pending_rows_) overflow_.Spill(&full_.back());
  if (spare_.empty()) {
    queued_ = PendingRows();
  } else {
    queued_ = std::move(spare_.back());
    spare_.pop_back();
  }
}

size_t WriterQueue::memory_rows() const {
  size_t rows = queued_.size();
  for (const PendingRows& batch : full_) rows += batch.spilled() ? 0 : batch.size();
  return rows;
}

size_t WriterQueue::rows() const {
  size_t rows = queued_.size();
  for (const PendingRows& batch : full_) rows += batch.size();
  return rows;
}

// The oldest go at once, a batch's samples at a time: dropping one at a time would move the
// whole queue for every sample while the disk cannot keep up.
size_t WriterQueue::DropOldestSamples(size_t count) {
  const size_t before = queued_samples_;
  for (PendingRows& batch : full_) {
    if (count == 0) return before - queued_samples_;
    const size_t dropped = batch.samples();
    batch.DropSamples();
    queued_samples_ -= dropped;
    count -= std::min(count, dropped);
  }
  if (count > 0) {
    queued_samples_ -= queued_.samples();
    queued_.DropSamples();
  }
  return before - queued_samples_;
}

void WriterQueue::Clear(bool keep_session) {
  bool session = queued_.new_session;
  for (const PendingRows& dropped : full_) session = session || dropped.new_session;
  full_.clear();
  overflow_.Forget();
  queued_.Clear();
  if (keep_session) queued_.new_session = session;
  queued_samples_ = 0;
}

// The oldest batches, a few a turn, in one transaction (each commit costs a good part of a
// batch's rows): the window gets room as soon as they are taken. A batch that starts a
// session starts a turn, so the session's count of entries begins with its rows.
WriterTurn WriterQueue::Take(uint64_t serial) {
  WriterTurn turn;
  turn.serial = serial;
  if (full_.empty()) {
    turn.work.push_back(std::exchange(queued_, PendingRows()));
  } else {
    size_t taken = 0;
    while (taken < full_.size() && taken < kTurnBatches &&
           (taken == 0 || !full_[taken].new_session)) {
      ++taken;
    }
    std::move(full_.begin(), full_.begin() + static_cast<std::ptrdiff_t>(taken),
              std::back_inserter(turn.work));
    full_.erase(full_.begin(), full_.begin() + static_cast<std::ptrdiff_t>(taken));
  }
  turn.drained = empty();
  // The batch the turn took while it was still being filled goes to the queue file before
  // the writer waits for the store with it: a kill while another client holds the store must
  // not lose it. (Batches that waited are there already; one that could not be put there,
  // with the file full, is after every one that was, so the file's order stays the queue's.)
  if (overflow_.journaled()) {
    for (PendingRows& rows : turn.work) {
      if (rows.journal_end == 0 && !rows.empty() && !rows.spilled()) overflow_.Spill(&rows);
    }
  }
  for (const PendingRows& rows : turn.work) {
    turn.samples += rows.samples();
    turn.empty = turn.empty && rows.empty() && !rows.new_session;
  }
  queued_samples_ -= turn.samples;
  return turn;
}

size_t WriterQueue::ReadBack(WriterTurn* turn, HistoryBatch* batch, size_t* lost) {
  batch->samples.clear();
  batch->log.clear();
  batch->new_session = false;
  batch->queue_id = 0;
  batch->queue_done = 0;
  size_t restored = 0;
  *lost = 0;
  for (PendingRows& rows : turn->work) {
    if (rows.journal_end > 0 && overflow_.journaled()) {
      batch->queue_id = overflow_.journal_id();
      batch->queue_done = std::max(batch->queue_done, static_cast<int64_t>(rows.journal_end));
    }
    if (rows.spilled()) {
      ++restored;
      const size_t count = rows.size();
      if (!overflow_.Restore(&rows)) *lost += count;
    }
    rows.UnpackInto(batch);
  }
  return restored;
}

void WriterQueue::PutBack(WriterTurn* turn) {
  queued_samples_ += turn->samples;
  full_.insert(full_.begin(), std::make_move_iterator(turn->work.begin()),
               std::make_move_iterator(turn->work.end()));
}

void WriterQueue::Recycle(WriterTurn* turn) {
  for (PendingRows& rows : turn->work) {
    rows.Clear();
    if (spare_.size() < kTurnBatches) spare_.push_back(std::move(rows));
  }
}

bool WriterQueue::LeaveInJournal() {
  if (!overflow_.journaled()) return false;
  if (!queued_.empty()) StartBatch();
  for (PendingRows& rows : full_) {
    if (rows.journal_end == 0 && !rows.empty()) overflow_.Spill(&rows);
    if (rows.journal_end == 0 && !rows.empty()) return false;
  }
  return true;
}

void WriterQueue::StoreOpened() {
  overflow_.StoreOpened();
  if (!overflow_.journaled()) return;
  // Batches the window filled while the store was opening go to the file too.
  for (PendingRows& rows : full_) {
    if (!rows.spilled()) overflow_.Spill(&rows);
  }
}

}  // namespace hv::history
