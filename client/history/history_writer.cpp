#include "client/history/history_writer.h"

#include <chrono>
#include <cstdio>
#include <utility>

namespace hv::history {

int64_t SystemNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

HistoryWriter::HistoryWriter(std::unique_ptr<HistoryStore> store, HistoryWriterOptions options)
    : store_(std::move(store)), options_(std::move(options)) {
  if (!options_.now_ms) options_.now_ms = SystemNowMs;
  thread_ = std::thread([this] { Run(); });
}

HistoryWriter::~HistoryWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void HistoryWriter::Add(StatusSample sample) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (queued_samples_ >= options_.max_queued) DropOldestSamples(options_.max_queued / 2);
  queued_.samples.push_back(std::move(sample));
  ++queued_samples_;
  Queued();
}

void HistoryWriter::Add(LogRow row) {
  std::lock_guard<std::mutex> lock(mutex_);
  queued_.log.push_back(std::move(row));
  Queued();
}

// A long run of rows waits in batches of at most kQueuedBatchRows: one vector of them all
// would, each time it grew, hold its old and its new copy at once, several times the rows.
void HistoryWriter::Queued() {
  if (queued_.size() >= kQueuedBatchRows) {
    full_.push_back(std::move(queued_));
    queued_ = HistoryBatch();
  }
  if (QueuedRows() >= options_.batch_rows) wake_.notify_all();
}

size_t HistoryWriter::QueuedRows() const {
  return full_.size() * kQueuedBatchRows + queued_.size();
}

// The oldest go at once: dropping one at a time would move the whole queue for every sample
// while the disk cannot keep up.
void HistoryWriter::DropOldestSamples(size_t count) {
  for (HistoryBatch* batch = full_.empty() ? &queued_ : &full_.front(); count > 0;) {
    const size_t take = std::min(count, batch->samples.size());
    batch->samples.erase(batch->samples.begin(),
                         batch->samples.begin() + static_cast<ptrdiff_t>(take));
    queued_samples_ -= take;
    count -= take;
    if (batch == &queued_) break;
    const size_t index = static_cast<size_t>(batch - full_.data()) + 1;
    batch = index < full_.size() ? &full_[index] : &queued_;
  }
}

void HistoryWriter::Flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  uint64_t wanted = ++queued_serial_;
  wake_.notify_all();
  written_.wait(lock, [&] { return written_serial_ >= wanted; });
}

void HistoryWriter::SetLimits(const HistoryLimits& limits) {
  std::lock_guard<std::mutex> lock(mutex_);
  options_.limits = limits;
  trim_due_ = true;
}

void HistoryWriter::TrimSoon() {
  std::lock_guard<std::mutex> lock(mutex_);
  trim_due_ = true;
  wake_.notify_all();
}

std::vector<std::string> HistoryWriter::TakeNotices() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(notices_, {});
}

bool HistoryWriter::recording_stopped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopped_;
}

// Called with the lock held; writes without it, so the window can queue meanwhile. False when
// another client held the store too long: the batch is left as it was, for the next turn.
bool HistoryWriter::WriteBatch(HistoryBatch* batch, std::unique_lock<std::mutex>* lock) {
  bool trim = std::exchange(trim_due_, false);
  HistoryLimits limits = options_.limits;
  lock->unlock();
  Status written = store_->Write(*batch);
  Status trimmed;
  if (trim && written.ok()) trimmed = store_->Trim(options_.now_ms(), limits);
  std::string renewed;
  if (written.Is(Where::kHistory, kHistoryCorrupt) ||
      trimmed.Is(Where::kHistory, kHistoryCorrupt)) {
    // Found corrupt while in use: set aside as at open, and the batch goes to the new store
    // (whether or not the old store took it: that one is no longer read).
    std::string aside;
    Status fresh = store_->StartAfresh(&aside);
    if (fresh.ok()) {
      renewed = "The history store could not be read; it was moved to " + aside +
                " and a new one started";
      written = store_->Write(*batch);
      trimmed = Status::Ok();
    } else {
      written = fresh;
    }
  }
  lock->lock();
  if (!renewed.empty()) notices_.push_back(std::move(renewed));
  if (written.Is(Where::kHistory, kTimedOut)) {
    trim_due_ = trim_due_ || trim;
    return false;
  }
  batch->samples.clear();
  batch->log.clear();
  if (written.failed() && !stopped_) {
    stopped_ = true;
    notices_.push_back(written.Is(Where::kHistory, kHistoryDiskFull)
                           ? "History recording stopped: the disk is full"
                           : "History recording stopped: " + written.ToString());
  } else if (written.ok() && stopped_) {
    stopped_ = false;
    std::fprintf(stderr, "hearthview: history recording resumed\n");
  }
  if (trimmed.failed()) std::fprintf(stderr, "hearthview: %s\n", trimmed.ToString().c_str());
  return true;
}

void HistoryWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  auto last_trim = std::chrono::steady_clock::now();
  trim_due_ = true;  // what aged out while the program was not running
  for (;;) {
    wake_.wait_for(lock, std::chrono::milliseconds(options_.batch_ms), [&] {
      return stopping_ || queued_serial_ > written_serial_ || trim_due_ ||
             QueuedRows() >= options_.batch_rows;
    });
    auto now = std::chrono::steady_clock::now();
    if (now - last_trim >= std::chrono::milliseconds(options_.trim_every_ms)) {
      trim_due_ = true;
      last_trim = now;
    }
    uint64_t serial = queued_serial_;
    std::vector<HistoryBatch> work;
    std::swap(work, full_);
    work.push_back(std::exchange(queued_, HistoryBatch()));
    queued_samples_ = 0;
    for (size_t i = 0; i < work.size(); ++i) {
      if (work[i].empty() && !trim_due_) continue;
      if (WriteBatch(&work[i], &lock)) {
        // A failed write drops the rest of the turn with it, as one batch of it all would
        // have been: a smaller part that still fits must not make recording look resumed.
        if (stopped_) break;
        continue;
      }
      // Another client held the store for long: what is not written waits for the next turn,
      // ahead of what came meanwhile, rather than being lost.
      std::vector<HistoryBatch> back;
      for (size_t j = i; j < work.size(); ++j) {
        queued_samples_ += work[j].samples.size();
        back.push_back(std::move(work[j]));
      }
      for (HistoryBatch& later : full_) back.push_back(std::move(later));
      full_ = std::move(back);
      break;
    }
    written_serial_ = std::max(written_serial_, serial);
    written_.notify_all();
    if (stopping_ && full_.empty() && queued_.empty()) return;
  }
}

}  // namespace hv::history
