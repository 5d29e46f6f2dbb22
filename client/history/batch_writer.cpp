#include "client/history/batch_writer.h"

#include <sqlite3.h>

#include <algorithm>
#include <bit>
#include <string_view>
#include <utility>

#include "client/history/server_log_time.h"
#include "client/history/sqlite_statement.h"
#include "client/history/store_connection.h"
#include "client/history/store_items.h"
#include "client/history/store_rows.h"

namespace hv::history {

namespace {

// FNV-1a over the fields, each followed by a separator so that ("ab","c") and ("a","bc")
// differ.
class Fingerprint {
 public:
  // The fields in order: texts as their bytes, whole numbers as 8 little-endian bytes.
  template <typename... Fields>
  void Add(const Fields&... fields) {
    (AddField(fields), ...);
  }
  int64_t value() const { return static_cast<int64_t>(hash_ == 0 ? 1 : hash_); }

 private:
  void AddField(std::string_view text) {
    for (char c : text) Byte(static_cast<uint8_t>(c));
    Byte(0xFF);
  }
  void AddField(int64_t number) {
    for (int i = 0; i < 8; ++i) Byte(static_cast<uint8_t>(number >> (8 * i)));
  }
  void Byte(uint8_t b) {
    hash_ ^= b;
    hash_ *= 1099511628211ULL;
  }
  uint64_t hash_ = 14695981039346656037ULL;
};

}  // namespace

int64_t LogFingerprint(const std::string& house_key, const LogRow& row, int32_t occurrence) {
  if (row.date_text.empty() && row.time_text.empty()) return 0;
  Fingerprint print;
  print.Add(house_key, row.entry_type, row.name, row.message, row.path, row.function_code,
            std::bit_cast<int64_t>(row.value), row.extra, row.date_text, row.time_text, row.detail1,
            row.detail2, occurrence);
  return print.value();
}

BatchWriter::BatchWriter(StoreConnection& connection, StoreItems& items)
    : connection_(connection), items_(items) {}

Status BatchWriter::Write(const HistoryBatch& batch) {
  if (batch.new_session) session_reset_due_ = true;
  if (batch.empty() && batch.receiving_ms == 0 && batch.queue_id == 0) return Status::Ok();
  if (connection_.read_only())
    return Status::Failure(Where::kHistory, "the store was opened for reading");
  const bool reset = session_reset_due_;
  Status written = connection_.InTransaction([&] {
    Status cleared = reset ? connection_.Exec("DELETE FROM temp.seen") : Status::Ok();
    return cleared.ok() ? WriteInTransaction(batch) : cleared;
  });
  // Kept due until a write that began the count afresh is committed.
  if (written.ok() && reset) session_reset_due_ = false;
  if (written.failed()) items_.Forget();
  return written;
}

Status BatchWriter::WriteSamples(const std::vector<StatusSample>& samples, size_t begin,
                                 size_t end) {
  // Each sample's item, then the samples grouped by item (in arrival order within one): an
  // item's rows go to the same few pages of the samples table, where inserting them in
  // arrival order would touch a page per row, and a small page cache would read and spill
  // each one again.
  std::vector<std::pair<int64_t, uint32_t>> order;
  order.reserve(end - begin);
  for (size_t i = begin; i < end; ++i) {
    int64_t item = 0;
    Status found = items_.Id(samples[i].kind, samples[i].name, &item);
    if (found.failed()) return found;
    order.emplace_back(item, static_cast<uint32_t>(i));
  }
  // Sorted by item, and within an item in the order they came.
  std::sort(order.begin(), order.end());
  for (auto [item, index] : order) {
    const StatusSample& sample = samples[index];
    Status stored = items_.InsertSample(item, sample.at_ms, sample.status, sample.value);
    if (stored.failed()) return stored;
  }
  return Status::Ok();
}

Status BatchWriter::WriteInTransaction(const HistoryBatch& batch) {
  // A mark that the client stopped receiving (IsEndOfReceiving) applies to every item, in
  // its place among the samples: those before it are written first.
  size_t begin = 0;
  while (begin < batch.samples.size()) {
    size_t end = begin;
    while (end < batch.samples.size() && !IsEndOfReceiving(batch.samples[end])) ++end;
    Status stored = WriteSamples(batch.samples, begin, end);
    if (stored.failed()) return stored;
    if (end < batch.samples.size()) {
      stored = MarkAllNotReceiving(batch.samples[end].at_ms);
      if (stored.failed()) return stored;
      ++end;
    }
    begin = end;
  }
  if (batch.queue_id != 0) {
    Status noted = connection_.SetMetaValue("queue_id", batch.queue_id);
    if (noted.ok()) noted = connection_.SetMetaValue("queue_done", batch.queue_done);
    if (noted.failed()) return noted;
  }
  if (batch.receiving_ms > 0) {
    Status noted =
        connection_.SetMetaValue(kReceivingKey, std::max(batch.receiving_ms, ReceivingUntil()));
    if (noted.failed()) return noted;
  }
  return batch.log.empty() ? Status::Ok() : WriteLog(batch.log);
}

// An entry's first sighting in the session only adds its print (no row to read back, which
// is most of the cost); a later one counts up.
Status BatchWriter::Occurrence(int64_t first_print, int32_t* occurrence) {
  SqliteStatement& first = connection_.Kept(
      &KeptStatements::seen_first, "INSERT OR IGNORE INTO temp.seen(print, count) VALUES(?1, 0)");
  first.Bind(1, first_print);
  int rc = first.Step();
  first.Reset();
  if (rc != SQLITE_DONE) return connection_.Failure(rc, "cannot count an entry");
  *occurrence = 0;
  if (sqlite3_changes(connection_.db()) > 0) return Status::Ok();
  SqliteStatement& again =
      connection_.Kept(&KeptStatements::seen_again,
                       "UPDATE temp.seen SET count = count + 1 WHERE print = ?1 RETURNING count");
  again.Bind(1, first_print);
  rc = again.Step();
  if (rc == SQLITE_ROW) *occurrence = static_cast<int32_t>(again.Int(0));
  again.Reset();
  return rc == SQLITE_ROW ? Status::Ok() : connection_.Failure(rc, "cannot count an entry");
}

Status BatchWriter::WriteLog(const std::vector<LogRow>& rows) {
  // Each server entry's place among the identical entries of the session, counted in the
  // order of their fingerprints (identical entries in the order they came): the count's table
  // is then read page after page instead of at random for every entry.
  std::vector<int64_t> firsts(rows.size());
  std::vector<std::pair<int64_t, uint32_t>> by_print;
  by_print.reserve(rows.size());
  for (uint32_t i = 0; i < rows.size(); ++i) {
    firsts[i] = LogFingerprint(connection_.house_key(), rows[i], 0);
    if (firsts[i] != 0) by_print.emplace_back(firsts[i], i);
  }
  std::sort(by_print.begin(), by_print.end());
  std::vector<int32_t> occurrences(rows.size(), 0);
  for (auto [first, index] : by_print) {
    Status counted = Occurrence(first, &occurrences[index]);
    if (counted.failed()) return counted;
  }
  SqliteStatement& insert = connection_.Kept(
      &KeptStatements::log_insert,
      "INSERT OR IGNORE INTO log(item, at, type, message, path, function, value, extra, date,"
      " time, detail1, detail2, fingerprint, arrived) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8,"
      " ?9, ?10, ?11, ?12, ?13, ?14)");
  for (uint32_t i = 0; i < rows.size(); ++i) {
    const LogRow& row = rows[i];
    int64_t item = 0;
    Status found = items_.Id(ItemKind::kLogName, row.name, &item);
    if (found.failed()) return found;
    // Placed where the server says it happened: the log sent at login carries earlier days.
    const int64_t at =
        firsts[i] == 0 ? row.at_ms : ServerLogTime(row.date_text, row.time_text, row.at_ms);
    insert.BindAll(item, at, row.entry_type, row.message, row.path, row.function_code, row.value,
                   row.extra, row.date_text, row.time_text, row.detail1, row.detail2);
    insert.Bind(14, row.at_ms);
    if (firsts[i] == 0) {
      insert.BindNull(13);  // the client's own entry: never sent again
    } else {
      insert.Bind(13, occurrences[i] == 0
                          ? firsts[i]
                          : LogFingerprint(connection_.house_key(), row, occurrences[i]));
    }
    int rc = insert.Step();
    insert.Reset();
    if (rc != SQLITE_DONE) return connection_.Failure(rc, "cannot store an activity entry");
  }
  return Status::Ok();
}

Status BatchWriter::IndexLog(size_t max_rows, bool* more) {
  int64_t rows = 0;
  Status indexed = connection_.InTransaction([&] {
    SqliteStatement mark(connection_.db(), "SELECT value FROM meta WHERE key = ?1");
    mark.BindText(1, kIndexedTo);
    int rc = mark.Step();
    if (rc != SQLITE_ROW) return connection_.Failure(rc, "cannot read the indexed entries' mark");
    const int64_t from = mark.Int(0);
    SqliteStatement next(connection_.db(),
                         "SELECT max(id), count(*) FROM (SELECT id FROM log WHERE id > ?1"
                         " ORDER BY id LIMIT ?2)");
    next.BindAll(from, max_rows);
    if (rc = next.Step(); rc != SQLITE_ROW)
      return connection_.Failure(rc, "cannot find entries to index");
    rows = next.Int(1);
    if (rows == 0) return Status::Ok();
    const int64_t to = next.Int(0);
    SqliteStatement add(connection_.db(),
                        "INSERT INTO log_text(rowid, name, message, path) SELECT l.id, i.name,"
                        " l.message, l.path FROM log l JOIN items i ON i.id = l.item"
                        " WHERE l.id > ?1 AND l.id <= ?2");
    add.BindAll(from, to);
    if (rc = add.Step(); rc != SQLITE_DONE)
      return connection_.Failure(rc, "cannot index activity entries");
    SqliteStatement advance(connection_.db(), "UPDATE meta SET value = ?2 WHERE key = ?1");
    advance.BindAll(kIndexedTo, to);
    rc = advance.Step();
    return rc == SQLITE_DONE ? Status::Ok()
                             : connection_.Failure(rc, "cannot mark the indexed entries");
  });
  *more = indexed.ok() && rows >= static_cast<int64_t>(max_rows);
  return indexed;
}

Status BatchWriter::MarkAllNotReceiving(int64_t at_ms) {
  for (const StoredItem& item : items_.List()) {
    StoreItems::StoredLast last;
    Status read = items_.LastRow(item.id, &last);
    if (read.failed()) return read;
    if (!last.known || last.status == kNotReceiving) continue;
    Status stored = items_.InsertSample(item.id, at_ms, kNotReceiving, kNoValue);
    if (stored.failed()) return stored;
  }
  return Status::Ok();
}

Status BatchWriter::MarkNotReceiving(int64_t at_ms) {
  if (connection_.read_only())
    return Status::Failure(Where::kHistory, "the store was opened for reading");
  Status marked = connection_.InTransaction([&] { return MarkAllNotReceiving(at_ms); });
  if (marked.failed()) items_.Forget();
  return marked;
}

int64_t BatchWriter::ReceivingUntil() { return connection_.MetaValue(kReceivingKey, 0); }

int64_t BatchWriter::QueueDone(int64_t queue_id) {
  return connection_.MetaValue("queue_id", 0) == queue_id ? connection_.MetaValue("queue_done", 0)
                                                          : 0;
}

Status BatchWriter::MarkGapSinceLastRun() {
  const int64_t until = ReceivingUntil();
  return until > 0 ? MarkNotReceiving(until) : Status::Ok();
}

}  // namespace hv::history
