#include "client/history/history_store.h"

#include <cstdlib>
#include <utility>

#include "core/profile/user_folders.h"

namespace hv::history {

namespace {

std::string StateHome() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return state;
  return HomeFolder() + "/.local/state";
}

}  // namespace

std::string HistoryStore::DefaultPath() { return StateHome() + "/hearthview/history.db"; }

HistoryStore::HistoryStore(std::unique_ptr<StoreConnection> connection)
    : StoreReader(*connection),
      connection_(std::move(connection)),
      items_(*connection_),
      writer_(*connection_, items_),
      trimmer_(*connection_, items_, *this) {}

HistoryStore::~HistoryStore() = default;

std::unique_ptr<HistoryStore> HistoryStore::Open(const std::string& path,
                                                 const std::string& house_key, Status* status) {
  std::unique_ptr<StoreConnection> connection = StoreConnection::Open(path, house_key, status);
  if (connection == nullptr) return nullptr;
  return std::unique_ptr<HistoryStore>(new HistoryStore(std::move(connection)));
}

std::unique_ptr<HistoryStore> HistoryStore::OpenForReading(const std::string& path,
                                                           const std::string& house_key,
                                                           Status* status) {
  std::unique_ptr<StoreConnection> connection =
      StoreConnection::OpenForReading(path, house_key, status);
  if (connection == nullptr) return nullptr;
  return std::unique_ptr<HistoryStore>(new HistoryStore(std::move(connection)));
}

std::unique_ptr<HistoryStore> HistoryStore::OpenInMemory(const std::string& house_key) {
  std::unique_ptr<StoreConnection> connection = StoreConnection::OpenInMemory(house_key);
  if (connection == nullptr) return nullptr;
  return std::unique_ptr<HistoryStore>(new HistoryStore(std::move(connection)));
}

Status HistoryStore::Write(const HistoryBatch& batch) { return writer_.Write(batch); }

Status HistoryStore::IndexLog(size_t max_rows, bool* more) {
  return writer_.IndexLog(max_rows, more);
}

Status HistoryStore::StartAfresh(std::string* aside) { return connection_->StartAfresh(aside); }

Status HistoryStore::Trim(int64_t now_ms, const HistoryLimits& limits) {
  return trimmer_.Trim(now_ms, limits);
}

Status HistoryStore::MarkNotReceiving(int64_t at_ms) { return writer_.MarkNotReceiving(at_ms); }

int64_t HistoryStore::ReceivingUntil() { return writer_.ReceivingUntil(); }

Status HistoryStore::MarkGapSinceLastRun() { return writer_.MarkGapSinceLastRun(); }

int64_t HistoryStore::QueueDone(int64_t queue_id) { return writer_.QueueDone(queue_id); }

int64_t HistoryStore::UsedBytes() { return connection_->UsedBytes(); }

std::vector<StoredItem> HistoryStore::Items() { return items_.List(); }

std::vector<ItemUsage> HistoryStore::Usage() { return items_.Usage(); }

Status HistoryStore::SetItemKeepDays(int64_t item_id, int days) {
  return items_.SetKeepDays(item_id, days);
}

bool HistoryStore::LastPoint(int64_t item_id, ItemPoint* point) {
  return items_.LastPoint(item_id, point);
}

void HistoryStore::SetBusyTimeoutForTest(int milliseconds) {
  connection_->SetBusyTimeoutForTest(milliseconds);
}

void HistoryStore::LimitPagesForTest(int64_t pages) { connection_->LimitPagesForTest(pages); }

}  // namespace hv::history
