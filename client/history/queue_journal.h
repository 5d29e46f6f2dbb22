// QueueJournal: the history rows the writer has not written yet, kept in a named file beside
// the store ("history.db-queue") so that a client killed while its writer was held up (a trim,
// another client's write) loses at most the batch it was filling, never the queue. The next
// start replays what the store does not hold yet; the store keeps, in the same transaction as
// each batch, how far into the file it got, so nothing is written twice either.
//
// The file: a header of 16 bytes ("HVQ1", 4 bytes zero, the file's 8-byte id, which changes
// whenever it is emptied), then records: "HVQR", flags (1: the rows start a session), the
// counts of samples and entries (4 bytes each) and the byte lengths of both parts (8 bytes
// each), all little-endian, then the rows as PendingRows packs them. Every length is checked
// against the file before it is read: a file cut short by the crash, or damaged, gives back
// its whole records and counts the rest as lost.
//
// One client uses the file at a time (an exclusive lock); another one running beside it keeps
// its queue in an unnamed file, as before.
#ifndef HV_CLIENT_HISTORY_QUEUE_JOURNAL_H_
#define HV_CLIENT_HISTORY_QUEUE_JOURNAL_H_

#include <cstdint>
#include <functional>
#include <string>

#include "client/history/pending_rows.h"

namespace hv::history {

class QueueJournal {
 public:
  static constexpr uint64_t kFirstRecord = 16;

  QueueJournal() = default;
  ~QueueJournal();
  QueueJournal(const QueueJournal&) = delete;
  QueueJournal& operator=(const QueueJournal&) = delete;

  // Opens (making it when missing) the file and takes its lock; false when another client
  // holds it, or it cannot be made.
  bool Open(const std::string& path);
  bool is_open() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  uint64_t id() const { return id_; }

  // Hands each whole record from `from` on to `each` with the offset where it ends; the rows
  // of records that cannot be read whole are counted in `lost`.
  void Replay(uint64_t from, const std::function<void(const PendingRows&, uint64_t end)>& each,
              size_t* lost);
  // Appends `rows` as a record at `*end` (their bytes leave memory) and moves `*end` past it;
  // false when the file takes no more.
  bool Append(PendingRows* rows, uint64_t* end);
  // Empties the file under a new id; false when it cannot be.
  bool Reset();

 private:
  int fd_ = -1;
  uint64_t id_ = 0;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_QUEUE_JOURNAL_H_
