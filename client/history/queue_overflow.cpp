#include "client/history/queue_overflow.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "client/history/history_store.h"

namespace hv::history {

QueueOverflow::~QueueOverflow() {
  if (spill_fd_ >= 0) close(spill_fd_);
}

// An unnamed file in $TMPDIR (default /tmp), so none is left behind however the program
// ends; a named one, removed at once, where the file system has no unnamed files.
int QueueOverflow::OpenSpillFile(const std::string& folder) {
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

// A batch the writer will come to last waits in the file rather than in memory (or than make
// the window wait), while the file stays within its size.
void QueueOverflow::Spill(PendingRows* rows) {
  if (!Ready()) return;
  if (journaled()) {
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

bool QueueOverflow::Ready() {
  // The queue file beside the store is opened, and what an earlier run left in it written,
  // by the writer's thread once the store is open; until then rows wait in memory.
  if (!sizes_.spill_folder.empty() && !journal_tried_) return false;
  if (journaled()) return !spill_full_ && spill_end_ < sizes_.max_journal_bytes;
  if (spill_fd_ < 0 && !spill_failed_) {
    spill_fd_ = OpenSpillFile(sizes_.spill_folder);
    if (spill_fd_ < 0 && !sizes_.spill_folder.empty()) spill_fd_ = OpenSpillFile("");
    spill_failed_ = spill_fd_ < 0;
  }
  return spill_fd_ >= 0 && !spill_full_ && spill_end_ < sizes_.max_spill_bytes;
}

bool QueueOverflow::Restore(PendingRows* rows) {
  return rows->Restore(journaled() ? journal_.fd() : spill_fd_);
}

void QueueOverflow::Forget() {
  spilled_batches_ = 0;
  spill_end_ = 0;
  spill_full_ = false;
  if (journaled()) {
    spill_end_ = QueueJournal::kFirstRecord;
    if (!journal_.Reset()) spill_end_ = 0;  // closed: the unnamed file takes over
    return;
  }
  if (spill_fd_ >= 0 && ftruncate(spill_fd_, 0) != 0) {
    close(spill_fd_);  // a file that cannot be emptied is not used again
    spill_fd_ = -1;
  }
}

void QueueOverflow::NoteRestored(size_t count) {
  // The file is emptied once no batch waits in it; only the writer's thread empties it.
  spilled_batches_ -= count;
  // The queue file is emptied only once all it held is in the store.
  if (count > 0 && spilled_batches_ == 0 && !journaled()) Forget();
}

void QueueOverflow::AfterWrite(bool queue_empty) {
  // Everything the queue file holds is in the store once no batch waits: it starts afresh.
  if (journaled() && queue_empty && spill_end_ > QueueJournal::kFirstRecord) Forget();
}

size_t QueueOverflow::Replay(HistoryStore& store) {
  if (sizes_.spill_folder.empty() || sizes_.spill_folder[0] != '/') return 0;
  uint64_t hash = 14695981039346656037ULL;
  for (char c : store.house_key()) hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ULL;
  char name[40];
  std::snprintf(name, sizeof name, "/history.db-queue-%016llx",
                static_cast<unsigned long long>(hash));
  if (!journal_.Open(sizes_.spill_folder + name)) return 0;
  const int64_t done = store.QueueDone(static_cast<int64_t>(journal_.id()));
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
        Status written = store.Write(batch);
        if (written.failed()) lost += rows.size();
      },
      &lost);
  if (!journal_.Reset()) return lost;
  return lost;
}

void QueueOverflow::StoreOpened() {
  journal_tried_ = true;
  if (journal_.is_open()) spill_end_ = QueueJournal::kFirstRecord;
}

}  // namespace hv::history
