#include "client/history/history_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace hv::history {

int64_t SystemNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

HistoryWriter::HistoryWriter(StoreOpener open, HistoryWriterOptions options)
    : open_(std::move(open)), options_(std::move(options)) {
  if (!options_.now_ms) options_.now_ms = SystemNowMs;
  thread_ = std::thread([this] { Run(); });
}

HistoryWriter::HistoryWriter(std::unique_ptr<HistoryStore> store, HistoryWriterOptions options)
    : store_(std::move(store)), options_(std::move(options)) {
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
  if (spill_fd_ >= 0) close(spill_fd_);
}

size_t HistoryWriter::spilled_batches() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return spilled_batches_;
}

// An unnamed file in $TMPDIR (default /tmp), so none is left behind however the program
// ends; a named one, removed at once, where the file system has no unnamed files.
int HistoryWriter::OpenSpillFile(const std::string& folder) {
  if (folder.empty() || folder[0] != '/') {
    const char* tmp = std::getenv("TMPDIR");
    return OpenSpillFile(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp");
  }
  int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  std::string path = folder + "/hvhistory-XXXXXX";
  fd = mkostemp(path.data(), O_CLOEXEC);
  if (fd >= 0) unlink(path.c_str());
  return fd;
}

void HistoryWriter::Add(const StatusSample& sample) {
  Add(sample.kind, sample.name, sample.at_ms, sample.status, sample.value);
}

void HistoryWriter::Add(ItemKind kind, std::string_view name, int64_t at_ms, int32_t status,
                        double value) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (unusable_) return;
  WaitForRoom(&lock);
  if (queued_samples_ >= options_.max_queued) DropOldestSamples(options_.max_queued / 2);
  queued_.Add(kind, name, at_ms, status, value);
  ++queued_samples_;
  Queued();
}

void HistoryWriter::Add(const LogRow& row) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (unusable_) return;
  WaitForRoom(&lock);
  queued_.Add(row);
  Queued();
}

void HistoryWriter::EndReceiving(int64_t at_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (unusable_) return;
  queued_.Add(EndOfReceiving(at_ms));
  Queued();
}

void HistoryWriter::StartSession() {
  std::lock_guard<std::mutex> lock(mutex_);
  // The session's rows start a batch of their own, which says so.
  if (!queued_.empty()) StartBatch();
  queued_.new_session = true;
}

// The window waits for the writer to take a batch, but never long, and after a wait that
// ran out not again until the writer has moved on: a store held by another client must not
// make every row wait.
void HistoryWriter::WaitForRoom(std::unique_lock<std::mutex>* lock) {
  if (MemoryRows() < options_.max_pending_rows || SpillReady() || turns_ == waited_in_vain_at_) {
    return;
  }
  wake_.notify_all();
  bool room = room_.wait_for(*lock, std::chrono::milliseconds(options_.max_wait_ms),
                             [&] { return MemoryRows() < options_.max_pending_rows || stopping_; });
  if (!room) waited_in_vain_at_ = turns_;
}

void HistoryWriter::Queued() {
  if (queued_.size() >= kQueuedBatchRows) StartBatch();
  if (QueuedRows() >= options_.wake_rows) wake_.notify_all();
}

// The batch being filled waits for the writer; a new one is filled in the room of one the
// writer has emptied, when there is one.
void HistoryWriter::StartBatch() {
  full_.push_back(std::move(queued_));
  // With a queue file beside the store every batch goes there at once: a client killed then
  // loses only the batch it was filling.
  if (journal_.is_open() || MemoryRows() >= options_.max_pending_rows) Spill(&full_.back());
  if (spare_.empty()) {
    queued_ = PendingRows();
  } else {
    queued_ = std::move(spare_.back());
    spare_.pop_back();
  }
}

// A batch the writer will come to last waits in the spill file rather than in memory (or
// than make the window wait), while the file stays within its size.
void HistoryWriter::Spill(PendingRows* rows) {
  if (!SpillReady()) return;
  if (journal_.is_open()) {
    if (!journal_.Append(rows, &spill_end_)) {
      spill_full_ = true;
      return;
    }
    rows->journal_end = spill_end_;
    ++spilled_batches_;
    return;
  }
  if (!rows->SpillTo(spill_fd_, spill_end_)) {
    spill_full_ = true;  // a full disk: the window waits instead, until the file is emptied
    return;
  }
  spill_end_ += rows->spilled_bytes();
  ++spilled_batches_;
}

bool HistoryWriter::SpillReady() {
  // The queue file beside the store is opened, and what an earlier run left in it written,
  // by the writer's thread once the store is open; until then rows wait in memory.
  if (journal_.is_open()) {
    return !spill_full_ && spill_end_ < options_.max_journal_bytes;
  }
  if (!options_.spill_folder.empty() && !journal_tried_) return false;
  if (spill_fd_ < 0 && !spill_failed_) {
    spill_fd_ = OpenSpillFile(options_.spill_folder);
    if (spill_fd_ < 0 && !options_.spill_folder.empty()) spill_fd_ = OpenSpillFile("");
    spill_failed_ = spill_fd_ < 0;
  }
  return spill_fd_ >= 0 && !spill_full_ && spill_end_ < options_.max_spill_bytes;
}

void HistoryWriter::ForgetSpill() {
  spilled_batches_ = 0;
  spill_end_ = 0;
  spill_full_ = false;
  if (journal_.is_open()) {
    spill_end_ = QueueJournal::kFirstRecord;
    if (!journal_.Reset()) spill_end_ = 0;  // closed: the unnamed file takes over
    return;
  }
  if (spill_fd_ >= 0 && ftruncate(spill_fd_, 0) != 0) {
    close(spill_fd_);  // a file that cannot be emptied is not used again
    spill_fd_ = -1;
  }
}

size_t HistoryWriter::MemoryRows() const {
  size_t rows = queued_.size();
  for (const PendingRows& batch : full_) rows += batch.spilled() ? 0 : batch.size();
  return rows;
}

size_t HistoryWriter::QueuedRows() const {
  size_t rows = queued_.size();
  for (const PendingRows& batch : full_) rows += batch.size();
  return rows;
}

// The oldest go at once, a batch's samples at a time: dropping one at a time would move the
// whole queue for every sample while the disk cannot keep up.
void HistoryWriter::DropOldestSamples(size_t count) {
  const size_t before = queued_samples_;
  DropSamplesOfBatches(count);
  // The user hears of it, as of any other loss.
  notices_.push_back(std::to_string(before - queued_samples_) +
                     " history samples were dropped: the disk could not keep up");
}

void HistoryWriter::DropSamplesOfBatches(size_t count) {
  for (PendingRows& batch : full_) {
    if (count == 0) return;
    const size_t dropped = batch.samples();
    batch.DropSamples();
    queued_samples_ -= dropped;
    count -= std::min(count, dropped);
  }
  if (count > 0) {
    queued_samples_ -= queued_.samples();
    queued_.DropSamples();
  }
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
  written_.wait(lock,
                [&] { return unusable_ || (!index_behind_ && full_.empty() && queued_.empty()); });
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
  batch->receiving_ms = options_.now_ms();
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
      // Another client that found it first has moved it and said where.
      if (!aside.empty()) {
        renewed = "The history store could not be read; it was moved to " + aside +
                  " and a new one started";
      }
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

// Takes some entries into the word index without the lock. False when none are left, or when
// indexing failed (said on stderr): it is tried again after the next entries are written.
bool HistoryWriter::IndexSome(std::unique_lock<std::mutex>* lock) {
  lock->unlock();
  bool more = false;
  Status indexed = store_->IndexLog(kIndexRows, &more);
  lock->lock();
  if (indexed.failed() && !indexed.Is(Where::kHistory, kTimedOut)) {
    std::fprintf(stderr, "hearthview: %s\n", indexed.ToString().c_str());
  }
  return indexed.Is(Where::kHistory, kTimedOut) || (indexed.ok() && more);
}

// Opens the store without the lock, so the window queues meanwhile. False when it cannot be
// opened: what was queued is dropped, and so is everything after it.
bool HistoryWriter::OpenStore(std::unique_lock<std::mutex>* lock) {
  if (store_ != nullptr) return true;
  lock->unlock();
  Status status;
  std::unique_ptr<HistoryStore> store = open_ ? open_(&status) : nullptr;
  lock->lock();
  store_ = std::move(store);
  if (store_ != nullptr) return true;
  if (status.failed()) std::fprintf(stderr, "hearthview: %s\n", status.ToString().c_str());
  notices_.push_back("The history store cannot be opened; nothing is recorded");
  unusable_ = true;
  full_.clear();
  ForgetSpill();
  queued_.Clear();
  queued_samples_ = 0;
  written_serial_ = queued_serial_;
  written_.notify_all();
  room_.notify_all();
  return false;
}

// The queue file of the store's house, beside the store: what an earlier run queued and the
// store does not hold yet is written first. Called without the lock, before the window may
// put rows in the file. Returns the rows that could not be read back.
size_t HistoryWriter::ReplayJournal() {
  if (options_.spill_folder.empty() || options_.spill_folder[0] != '/') return 0;
  uint64_t hash = 14695981039346656037ULL;
  for (char c : store_->house_key()) hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ULL;
  char name[40];
  std::snprintf(name, sizeof name, "/history.db-queue-%016llx",
                static_cast<unsigned long long>(hash));
  if (!journal_.Open(options_.spill_folder + name)) return 0;
  const int64_t done = store_->QueueDone(static_cast<int64_t>(journal_.id()));
  size_t lost = 0;
  HistoryBatch batch;
  journal_.Replay(
      static_cast<uint64_t>(std::max<int64_t>(done, 0)),
      [&](const PendingRows& rows, uint64_t end) {
        batch = HistoryBatch();
        rows.UnpackInto(&batch);
        batch.queue_id = static_cast<int64_t>(journal_.id());
        batch.queue_done = static_cast<int64_t>(end);
        for (const StatusSample& sample : batch.samples) {
          batch.receiving_ms = std::max(batch.receiving_ms, sample.at_ms);
        }
        Status written = store_->Write(batch);
        if (written.failed()) lost += rows.size();
      },
      &lost);
  if (!journal_.Reset()) return lost;
  return lost;
}

// Once the store is open: what an earlier run left queued is written, the time since a run
// that ended without saying so is marked unknown, and the queue file is ready for the window.
void HistoryWriter::StartStore(std::unique_lock<std::mutex>* lock) {
  lock->unlock();
  const size_t lost = ReplayJournal();
  Status marked = store_->MarkGapSinceLastRun();
  lock->lock();
  journal_tried_ = true;
  if (journal_.is_open()) {
    spill_end_ = QueueJournal::kFirstRecord;
    // Batches the window filled while the store was opening go to the file too.
    for (PendingRows& rows : full_) {
      if (!rows.spilled()) Spill(&rows);
    }
  }
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
    Turn turn = TakeTurn();
    if (!turn.empty || trim_due_ || beat_due) {
      if (!WriteTurn(&turn, &lock)) {
        if (stopping_ && LeaveQueueInJournal()) return;
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
    for (PendingRows& rows : turn.work) {
      rows.Clear();
      if (spare_.size() < kTurnBatches) spare_.push_back(std::move(rows));
    }
    if (turn.drained) {
      written_serial_ = std::max(written_serial_, turn.serial);
      written_.notify_all();
    }
    if (stopping_ && full_.empty() && queued_.empty()) return;
  }
}

void HistoryWriter::WaitForWork(std::unique_lock<std::mutex>* lock, bool held_up) {
  // Entries waiting for the word index (also from an earlier run) are taken in whenever a
  // turn finds nothing queued, so the index never holds up the window's rows.
  const int wait_ms =
      index_behind_ ? std::min(options_.batch_ms, kIndexPauseMs) : options_.batch_ms;
  wake_.wait_for(*lock, std::chrono::milliseconds(wait_ms), [&] {
    const size_t rows = QueuedRows();
    return stopping_ || queued_serial_ > written_serial_ || trim_due_ ||
           (!held_up && (rows >= options_.wake_rows || rows >= options_.max_pending_rows));
  });
}

// The oldest batches, a few a turn, in one transaction (each commit costs a good part of a
// batch's rows): the window gets room as soon as they are taken. A batch that starts a
// session starts a turn, so the session's count of entries begins with its rows.
HistoryWriter::Turn HistoryWriter::TakeTurn() {
  Turn turn;
  turn.serial = queued_serial_;
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
  turn.drained = full_.empty() && queued_.empty();
  JournalTurn(&turn);
  for (const PendingRows& rows : turn.work) {
    turn.samples += rows.samples();
    turn.empty = turn.empty && rows.empty() && !rows.new_session;
  }
  queued_samples_ -= turn.samples;
  ++turns_;
  room_.notify_all();
  return turn;
}

// The batch the turn took while it was still being filled goes to the queue file before the
// writer waits for the store with it: a kill while another client holds the store must not
// lose it. (Batches that waited are there already; one that could not be put there, with the
// file full, is after every one that was, so the file's order stays the queue's.)
void HistoryWriter::JournalTurn(Turn* turn) {
  if (!journal_.is_open()) return;
  for (PendingRows& rows : turn->work) {
    if (rows.journal_end == 0 && !rows.empty() && !rows.spilled()) Spill(&rows);
  }
}

// Ending while another client holds the store: the queue, the batch being filled with it,
// stays in the queue file for the next start instead of making the program wait. False when
// there is no such file, or it does not take every row.
bool HistoryWriter::LeaveQueueInJournal() {
  if (!journal_.is_open()) return false;
  if (!queued_.empty()) StartBatch();
  for (PendingRows& rows : full_) {
    if (rows.journal_end == 0 && !rows.empty()) Spill(&rows);
    if (rows.journal_end == 0 && !rows.empty()) return false;
  }
  return true;
}

// Unpacks the turn's rows (reading back those in the overflow file) and writes them. False
// when another client held the store too long: the rows wait for the next turn.
bool HistoryWriter::WriteTurn(Turn* turn, std::unique_lock<std::mutex>* lock) {
  // Read back and unpacked on this thread without the lock, so the window queues meanwhile,
  // into vectors it keeps: the window's heap never holds them.
  lock->unlock();
  batch_.samples.clear();
  batch_.log.clear();
  batch_.new_session = false;
  size_t restored = 0;
  size_t lost = 0;
  batch_.queue_id = 0;
  batch_.queue_done = 0;
  for (PendingRows& rows : turn->work) {
    if (rows.journal_end > 0 && journal_.is_open()) {
      batch_.queue_id = static_cast<int64_t>(journal_.id());
      batch_.queue_done = std::max(batch_.queue_done, static_cast<int64_t>(rows.journal_end));
    }
    if (rows.spilled()) {
      ++restored;
      const size_t count = rows.size();
      if (!rows.Restore(journal_.is_open() ? journal_.fd() : spill_fd_)) lost += count;
    }
    rows.UnpackInto(&batch_);
  }
  lock->lock();
  // The user hears of rows the overflow file did not give back, as of any other loss.
  if (lost > 0) {
    notices_.push_back(std::to_string(lost) +
                       " history rows could not be read back from the overflow file and "
                       "are missing");
  }
  // The file is emptied once no batch waits in it; only this thread empties it.
  spilled_batches_ -= restored;
  // The queue file is emptied only once all it held is in the store.
  if (restored > 0 && spilled_batches_ == 0 && !journal_.is_open()) ForgetSpill();
  index_behind_ = index_behind_ || !batch_.log.empty();
  if (WriteBatch(&batch_, lock)) {
    // Everything the queue file holds is in the store once no batch waits: it starts afresh.
    if (journal_.is_open() && full_.empty() && spill_end_ > QueueJournal::kFirstRecord) {
      ForgetSpill();
    }
    return true;
  }
  // Another client held the store for long: the batches wait for the next turn, ahead of
  // what came meanwhile, rather than being lost.
  queued_samples_ += turn->samples;
  full_.insert(full_.begin(), std::make_move_iterator(turn->work.begin()),
               std::make_move_iterator(turn->work.end()));
  // Flush does not wait for them: they are kept, not lost.
  written_serial_ = std::max(written_serial_, turn->serial);
  written_.notify_all();
  return false;
}

// A failed write drops what was queued with it, as one batch of it all would have been: a
// smaller part that still fits must not make recording look resumed.
void HistoryWriter::DropAfterFailure(uint64_t serial) {
  bool session = queued_.new_session;
  for (const PendingRows& dropped : full_) session = session || dropped.new_session;
  full_.clear();
  ForgetSpill();
  queued_.Clear();
  queued_.new_session = session;
  queued_samples_ = 0;
  written_serial_ = std::max(written_serial_, serial);
  written_.notify_all();
  room_.notify_all();
}

}  // namespace hv::history
