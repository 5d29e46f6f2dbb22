// WriterStore: the history writer's end of the store, used on its thread without its lock.
// The store is opened there (a slow or damaged file never holds up the start); a batch is
// written with the trim that is due, and a store found corrupt meanwhile is moved aside and
// the batch written to the new one.
#ifndef HV_CLIENT_HISTORY_WRITER_STORE_H_
#define HV_CLIENT_HISTORY_WRITER_STORE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "client/history/history_store.h"
#include "core/status.h"

namespace hv::history {

// What writing one batch came to.
struct BatchOutcome {
  Status written;
  Status trimmed;
  // Set when this writer moved the corrupt store aside: the notice that says where to.
  std::string renewed;
};

class WriterStore {
 public:
  // Opens the store; null with the reason in the status when it cannot be opened.
  using Opener = std::function<std::unique_ptr<HistoryStore>(Status* status)>;

  explicit WriterStore(Opener open) : open_(std::move(open)) {}
  explicit WriterStore(std::unique_ptr<HistoryStore> store) : store_(std::move(store)) {}
  WriterStore(const WriterStore&) = delete;
  WriterStore& operator=(const WriterStore&) = delete;

  // Opens the store unless it is open; false, with the opener's reason in `status`, when it
  // cannot be.
  bool Open(Status* status);
  // Writes the batch, stamped with the time it says the client was receiving until, then
  // trims the store to `limits` when `trim`.
  BatchOutcome Write(HistoryBatch* batch, bool trim, const HistoryLimits& limits,
                     const std::function<int64_t()>& now_ms);
  // Takes up to `rows` entries into the word index; `more` when entries still wait.
  Status Index(size_t rows, bool* more) { return store_->IndexLog(rows, more); }

  HistoryStore& store() { return *store_; }

 private:
  Opener open_;
  std::unique_ptr<HistoryStore> store_;  // once opened
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_WRITER_STORE_H_
