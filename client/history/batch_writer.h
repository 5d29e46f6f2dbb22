// BatchWriter: the history store's writes. A batch of samples and activity entries is stored
// as one transaction; entries reach the word index later, a part at a time; and the times the
// client was not receiving are marked on every item it knew.
#ifndef HV_CLIENT_HISTORY_BATCH_WRITER_H_
#define HV_CLIENT_HISTORY_BATCH_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "client/history/history_records.h"
#include "core/status.h"

namespace hv::history {

class StoreConnection;
class StoreItems;

class BatchWriter {
 public:
  BatchWriter(StoreConnection& connection, StoreItems& items);
  BatchWriter(const BatchWriter&) = delete;
  BatchWriter& operator=(const BatchWriter&) = delete;

  // See HistoryStore::Write, IndexLog, MarkNotReceiving, ReceivingUntil, MarkGapSinceLastRun
  // and QueueDone.
  Status Write(const HistoryBatch& batch);
  Status IndexLog(size_t max_rows, bool* more);
  Status MarkNotReceiving(int64_t at_ms);
  int64_t ReceivingUntil();
  Status MarkGapSinceLastRun();
  int64_t QueueDone(int64_t queue_id);

 private:
  Status WriteInTransaction(const HistoryBatch& batch);
  Status WriteSamples(const std::vector<StatusSample>& samples, size_t begin, size_t end);
  Status MarkAllNotReceiving(int64_t at_ms);
  Status WriteLog(const std::vector<LogRow>& rows);
  Status Occurrence(int64_t first_print, int32_t* occurrence);

  StoreConnection& connection_;
  StoreItems& items_;
  // A new session began: its entries are counted afresh from the next committed write.
  bool session_reset_due_ = false;
};

// The fingerprint that tells an activity entry from the server apart from every other (0 for
// entries the client made itself, which have no server date and are never sent again);
// `occurrence` numbers identical entries of one session from 0.
int64_t LogFingerprint(const std::string& house_key, const LogRow& row, int32_t occurrence);

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_BATCH_WRITER_H_
