#include "client/history/writer_store.h"

#include <utility>

namespace hv::history {

bool WriterStore::Open(Status* status) {
  if (store_ == nullptr) store_ = open_ ? open_(status) : nullptr;
  return store_ != nullptr;
}

BatchOutcome WriterStore::Write(HistoryBatch* batch, bool trim, const HistoryLimits& limits,
                                const std::function<int64_t()>& now_ms) {
  BatchOutcome outcome;
  batch->receiving_ms = now_ms();
  outcome.written = store_->Write(*batch);
  if (trim && outcome.written.ok()) outcome.trimmed = store_->Trim(now_ms(), limits);
  if (outcome.written.Is(Where::kHistory, kHistoryCorrupt) ||
      outcome.trimmed.Is(Where::kHistory, kHistoryCorrupt)) {
    // Found corrupt while in use: set aside as at open, and the batch goes to the new store
    // (whether or not the old store took it: that one is no longer read).
    std::string aside;
    Status fresh = store_->StartAfresh(&aside);
    if (fresh.ok()) {
      // Another client that found it first has moved it and said where.
      if (!aside.empty()) {
        outcome.renewed = "The history store could not be read; it was moved to " + aside +
                          " and a new one started";
      }
      outcome.written = store_->Write(*batch);
      outcome.trimmed = Status::Ok();
    } else {
      outcome.written = fresh;
    }
  }
  return outcome;
}

}  // namespace hv::history
