// PendingRows: status samples and activity entries waiting for the history's writer, packed
// into two byte buffers (fixed fields, then each text with its length) instead of a record
// with strings of its own per row.
//
// The window's thread fills them and the writer's thread unpacks them; an emptied one keeps
// its buffers and is filled again. So a whole activity log passing through allocates nothing
// per row, and the rows never leave holes among the window's own allocations (the log view's
// rows, made at the same time), which the process would otherwise keep as its peak.
#ifndef HV_CLIENT_HISTORY_PENDING_ROWS_H_
#define HV_CLIENT_HISTORY_PENDING_ROWS_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "client/history/history_records.h"

namespace hv::history {

class PendingRows {
 public:
  void Add(ItemKind kind, std::string_view name, int64_t at_ms, int32_t status, double value);
  void Add(const StatusSample& sample) {
    Add(sample.kind, sample.name, sample.at_ms, sample.status, sample.value);
  }
  void Add(const LogRow& row);

  size_t samples() const { return samples_; }
  size_t log_rows() const { return log_rows_; }
  size_t size() const { return samples_ + log_rows_; }
  bool empty() const { return size() == 0; }

  // Drops every sample (the oldest go first when the disk cannot keep up); entries stay.
  void DropSamples();
  // Empties it, keeping the buffers' room for the next rows.
  void Clear();

  // Appends the rows to `batch` (which keeps its own vectors' room across calls).
  void UnpackInto(HistoryBatch* batch) const;

  // The rows came after a (re)connection: see HistoryBatch::new_session.
  bool new_session = false;

 private:
  std::string sample_bytes_;
  std::string log_bytes_;
  size_t samples_ = 0;
  size_t log_rows_ = 0;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_PENDING_ROWS_H_
