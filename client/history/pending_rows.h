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
#include <cstdint>
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

  // Moves the rows' bytes to the file `fd` at `offset` and gives their memory back; false,
  // with the rows left in memory, when the file does not take them whole. The counts stay.
  bool SpillTo(int fd, uint64_t offset);
  // The same, saying how many bytes each part took.
  bool SpillTo(int fd, uint64_t offset, uint64_t* sample_bytes, uint64_t* log_bytes);
  // Takes rows read back from a file of an earlier run: false, leaving it empty, unless the
  // bytes hold exactly that many whole samples and entries.
  bool Load(std::string sample_bytes, std::string log_bytes, uint64_t samples, uint64_t log_rows);
  // Reads spilled rows back into memory; false when the file does not give them back whole
  // (they are then gone, and the rows are empty).
  bool Restore(int fd);
  bool spilled() const { return spilled_; }
  // Bytes the spilled rows take in their file.
  uint64_t spilled_bytes() const { return spilled_samples_ + spilled_log_; }

  // The rows came after a (re)connection: see HistoryBatch::new_session.
  bool new_session = false;
  // Where its record ends in the queue file, once written there (0: not written).
  uint64_t journal_end = 0;

 private:
  std::string sample_bytes_;
  std::string log_bytes_;
  size_t samples_ = 0;
  size_t log_rows_ = 0;
  // Where the bytes are while spilled: the samples' then the entries' at spill_offset_.
  bool spilled_ = false;
  uint64_t spill_offset_ = 0;
  uint64_t spilled_samples_ = 0;
  uint64_t spilled_log_ = 0;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_PENDING_ROWS_H_
