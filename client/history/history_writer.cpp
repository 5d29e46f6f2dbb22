#include "client/history/history_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

namespace hv::history {

int64_t SystemNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

namespace {

OverflowSizes OverflowOf(const HistoryWriterOptions& options) {
  return {options.max_spill_bytes, options.max_journal_bytes, options.spill_folder};
}

}  // namespace

HistoryWriter::HistoryWriter(StoreOpener open, HistoryWriterOptions options)
    : store_(std::move(open)),
      options_(std::move(options)),
      queue_(options_.max_pending_rows, OverflowOf(options_)) {
  if (!options_.now_ms) options_.now_ms = SystemNowMs;
  thread_ = std::thread([this] { Run(); });
}

HistoryWriter::HistoryWriter(std::unique_ptr<HistoryStore> store, HistoryWriterOptions options)
    : store_(std::move(store)),
      options_(std::move(options)),
      queue_(options_.max_pending_rows, OverflowOf(options_)) {
  if (!options_.now_ms) options_.now_ms = SystemNowMs;
  thread_ = std::thread([this] { Run(); });
}

HistoryWriter::~HistoryWriter() {
  // The client stops receiving here: what follows, until the next start, is not known.
  EndReceiving(options_.now_ms());
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

size_t HistoryWriter::spilled_batches() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.spilled_batches();
}

void HistoryWriter::Add(const StatusSample& sample) {
  Add(sample.kind, sample.name, sample.at_ms, sample.status, sample.value);
}

void HistoryWriter::Add(ItemKind kind, std::string_view name, int64_t at_ms, int32_t status,
                        double value) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (unusable_) return;
  WaitForRoom(&lock);
  if (queue_.samples() >= options_.max_queued) {
    // The user hears of it, as of any other loss.
    const size_t dropped = queue_.DropOldestSamples(options_.max_queued / 2);
    notices_.push_back(std::to_string(dropped) +
                       " history samples were dropped: the disk could not keep up");
  }
  queue_.Add(kind, name, at_ms, status, value);
  Queued();
}

void HistoryWriter::Add(const LogRow& row) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (unusable_) return;
  WaitForRoom(&lock);
  queue_.Add(row);
  Queued();
}

void HistoryWriter::EndReceiving(int64_t at_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (unusable_) return;
  queue_.AddEnd(at_ms);
  Queued();
}

void HistoryWriter::StartSession() {
  std::lock_guard<std::mutex> lock(mutex_);
  // The session's rows start a batch of their own, which says so.
  queue_.StartSession();
}

// The window waits for the writer to take a batch, but never long, and after a wait that
// ran out not again until the writer has moved on: a store held by another client must not
// make every row wait.
void HistoryWriter::WaitForRoom(std::unique_lock<std::mutex>* lock) {
  if (queue_.memory_rows() < options_.max_pending_rows || queue_.SpillReady() ||
      turns_ == waited_in_vain_at_) {
    return;
  }
  wake_.notify_all();
  bool room = room_.wait_for(*lock, std::chrono::milliseconds(options_.max_wait_ms), [&] {
    return queue_.memory_rows() < options_.max_pending_rows || stopping_;
  });
  if (!room) waited_in_vain_at_ = turns_;
}

void HistoryWriter::Queued() {
  if (queue_.rows() >= options_.wake_rows) wake_.notify_all();
}

void HistoryWriter::Flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  uint64_t wanted = ++queued_serial_;
  wake_.notify_all();
  written_.wait(lock, [&] { return written_serial_ >= wanted; });
}

void HistoryWriter::WaitForIndex() {
  std::unique_lock<std::mutex> lock(mutex_);
  wake_.notify_all();
  written_.wait(lock, [&] { return unusable_ || (!index_behind_ && queue_.empty()); });
}

void HistoryWriter::SetLimits(const HistoryLimits& limits) {
  std::lock_guard<std::mutex> lock(mutex_);
  options_.limits = limits;
  trim_due_ = true;
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
  BatchOutcome outcome = store_.Write(batch, trim, limits, options_.now_ms);
  lock->lock();
  if (!outcome.renewed.empty()) notices_.push_back(std::move(outcome.renewed));
  const Status& written = outcome.written;
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
  if (outcome.trimmed.failed()) {
    std::fprintf(stderr, "hearthview: %s\n", outcome.trimmed.ToString().c_str());
  }
  return true;
}

// Takes some entries into the word index without the lock. False when none are left, or when
// indexing failed (said on stderr): it is tried again after the next entries are written.
bool HistoryWriter::IndexSome(std::unique_lock<std::mutex>* lock) {
  lock->unlock();
  bool more = false;
  Status indexed = store_.Index(kIndexRows, &more);
  lock->lock();
  if (indexed.failed() && !indexed.Is(Where::kHistory, kTimedOut)) {
    std::fprintf(stderr, "hearthview: %s\n", indexed.ToString().c_str());
  }
  return indexed.Is(Where::kHistory, kTimedOut) || (indexed.ok() && more);
}

// Opens the store without the lock, so the window queues meanwhile. False when it cannot be
// opened: what was queued is dropped, and so is everything after it.
bool HistoryWriter::OpenStore(std::unique_lock<std::mutex>* lock) {
  lock->unlock();
  Status status;
  const bool opened = store_.Open(&status);
  lock->lock();
  if (opened) return true;
  if (status.failed()) std::fprintf(stderr, "hearthview: %s\n", status.ToString().c_str());
  notices_.emplace_back("The history store cannot be opened; nothing is recorded");
  unusable_ = true;
  queue_.Clear(false);
  written_serial_ = queued_serial_;
  written_.notify_all();
  room_.notify_all();
  return false;
}

// Once the store is open: what an earlier run left queued is written, the time since a run
// that ended without saying so is marked unknown, and the queue file is ready for the window.
void HistoryWriter::StartStore(std::unique_lock<std::mutex>* lock) {
  lock->unlock();
  const size_t lost = queue_.Replay(store_.store());
  Status marked = store_.store().MarkGapSinceLastRun();
  lock->lock();
  queue_.StoreOpened();
  if (lost > 0) {
    notices_.push_back(std::to_string(lost) +
                       " history rows queued before the program ended could not be read back "
                       "and are missing");
  }
  if (marked.failed()) std::fprintf(stderr, "hearthview: %s\n", marked.ToString().c_str());
}

void HistoryWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (OpenStore(&lock)) {
    StartStore(&lock);
  } else {
    // Flush still returns: every serial counts as written from here on.
    for (;;) {
      wake_.wait(lock, [&] { return stopping_ || queued_serial_ > written_serial_; });
      written_serial_ = queued_serial_;
      written_.notify_all();
      if (stopping_) return;
    }
  }
  auto last_trim = std::chrono::steady_clock::now();
  last_written_ = last_trim;
  trim_due_ = true;      // what aged out while the program was not running
  bool held_up = false;  // the last write waited in vain for another client: pause a turn
  for (;;) {
    WaitForWork(&lock, held_up);
    held_up = false;
    auto now = std::chrono::steady_clock::now();
    if (now - last_trim >= std::chrono::milliseconds(options_.trim_every_ms)) {
      trim_due_ = true;
      last_trim = now;
    }
    // A quiet house still says, now and then, that the client is receiving: a client killed
    // later is then known to have been receiving until shortly before.
    const bool beat_due = now - last_written_ >= std::chrono::milliseconds(kBeatMs);
    WriterTurn turn = TakeTurn();
    if (!turn.empty || trim_due_ || beat_due) {
      if (!WriteTurn(&turn, &lock)) {
        if (stopping_ && queue_.LeaveInJournal()) return;
        held_up = true;
        continue;
      }
      last_written_ = std::chrono::steady_clock::now();
      if (stopped_) {
        DropAfterFailure(turn.serial);
        if (stopping_) return;
        continue;
      }
    } else if (index_behind_ && !stopping_) {
      index_behind_ = IndexSome(&lock);
      if (!index_behind_) written_.notify_all();
    }
    queue_.Recycle(&turn);
    if (turn.drained) {
      written_serial_ = std::max(written_serial_, turn.serial);
      written_.notify_all();
    }
    if (stopping_ && queue_.empty()) return;
  }
}

void HistoryWriter::WaitForWork(std::unique_lock<std::mutex>* lock, bool held_up) {
  // Entries waiting for the word index (also from an earlier run) are taken in whenever a
  // turn finds nothing queued, so the index never holds up the window's rows.
  const int wait_ms =
      index_behind_ ? std::min(options_.batch_ms, kIndexPauseMs) : options_.batch_ms;
  wake_.wait_for(*lock, std::chrono::milliseconds(wait_ms), [&] {
    const size_t rows = queue_.rows();
    return stopping_ || queued_serial_ > written_serial_ || trim_due_ ||
           (!held_up && (rows >= options_.wake_rows || rows >= options_.max_pending_rows));
  });
}

// The window gets room as soon as the turn's batches are taken.
WriterTurn HistoryWriter::TakeTurn() {
  WriterTurn turn = queue_.Take(queued_serial_);
  ++turns_;
  room_.notify_all();
  return turn;
}

// Reads the turn's rows back (those in the overflow file too) and writes them. False when
// another client held the store too long: the rows wait for the next turn.
bool HistoryWriter::WriteTurn(WriterTurn* turn, std::unique_lock<std::mutex>* lock) {
  // Read back and unpacked on this thread without the lock, so the window queues meanwhile,
  // into vectors it keeps: the window's heap never holds them.
  lock->unlock();
  size_t lost = 0;
  const size_t restored = queue_.ReadBack(turn, &batch_, &lost);
  lock->lock();
  // The user hears of rows the overflow file did not give back, as of any other loss.
  if (lost > 0) {
    notices_.push_back(std::to_string(lost) +
                       " history rows could not be read back from the overflow file and "
                       "are missing");
  }
  queue_.NoteReadBack(restored);
  index_behind_ = index_behind_ || !batch_.log.empty();
  if (WriteBatch(&batch_, lock)) {
    queue_.AfterWrite();
    return true;
  }
  // Another client held the store for long: the batches wait for the next turn, ahead of
  // what came meanwhile, rather than being lost.
  queue_.PutBack(turn);
  // Flush does not wait for them: they are kept, not lost.
  written_serial_ = std::max(written_serial_, turn->serial);
  written_.notify_all();
  return false;
}

// A failed write drops what was queued with it, as one batch of it all would have been: a
// smaller part that still fits must not make recording look resumed.
void HistoryWriter::DropAfterFailure(uint64_t serial) {
  queue_.Clear(true);
  written_serial_ = std::max(written_serial_, serial);
  written_.notify_all();
  room_.notify_all();
}

}  // namespace hv::history
