#include "client/history/store_reader.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include "client/history/log_words.h"
#include "client/history/sqlite_statement.h"
#include "client/history/store_connection.h"
#include "client/history/store_rows.h"

namespace hv::history {

std::vector<ItemPoint> StoreReader::Points(int64_t item_id, int64_t from_ms, int64_t to_ms) {
  std::vector<ItemPoint> points;
  SqliteStatement read(connection_.db(),
                       "SELECT at, status, value FROM samples WHERE item = ?1 AND at >= ?2 AND"
                       " at < ?3 ORDER BY at, seq");
  read.BindAll(item_id, from_ms, to_ms);
  while (read.Step() == SQLITE_ROW) {
    points.push_back(
        {read.Int(0), static_cast<int32_t>(read.Int(1)), read.IsNull(2) ? kNoValue : read.Real(2)});
  }
  return points;
}

Status StoreReader::AddRolled(int64_t item_id, ItemKind kind, RollupLevel level, int64_t from_ms,
                              int64_t to_ms, PixelReduction* out) {
  if (from_ms >= to_ms) return Status::Ok();
  const int64_t width = LevelWidthMs(level);
  // Buckets are stored only where something changed: between them the state the one before
  // ended in holds.
  int64_t cursor = FloorTo(from_ms, width);
  std::optional<ItemPoint> state = RolledStateAt(item_id, cursor);
  auto hold = [&](int64_t until) {
    const int64_t start = std::max(cursor, from_ms);
    const int64_t end = std::min(until, to_ms);
    if (state && start < end) out->AddPoints({}, kind, start, end, &*state);
  };
  SqliteStatement read(connection_.db(),
                       "SELECT bucket, min, max, sum, count, on_ms, known_ms, value_ms,"
                       " end_status, end_value FROM rollups WHERE item = ?1 AND level = ?2 AND"
                       " bucket >= ?3 AND bucket < ?4 ORDER BY bucket");
  read.BindAll(item_id, level, cursor, to_ms);
  std::vector<RollupBucket> buckets;
  int rc;
  while ((rc = read.Step()) == SQLITE_ROW) {
    RollupBucket bucket{read.Int(0), width,       read.Real(1), read.Real(2), read.Real(3),
                        read.Int(4), read.Int(5), read.Int(6),  read.Int(7),  std::nullopt};
    if (!read.IsNull(8)) {
      bucket.end_state = ItemPoint{bucket.start_ms + width, static_cast<int32_t>(read.Int(8)),
                                   read.IsNull(9) ? kNoValue : read.Real(9)};
    }
    hold(bucket.start_ms);
    buckets.assign(1, bucket);
    out->AddBuckets(buckets);
    state = bucket.end_state;
    cursor = bucket.start_ms + width;
  }
  if (rc != SQLITE_DONE) return connection_.Failure(rc, "cannot read rollups");
  hold(to_ms);
  return Status::Ok();
}

std::optional<ItemPoint> StoreReader::RolledStateAt(int64_t item_id, int64_t at_ms) {
  // The state the newest bucket that ended by then ended in, at whichever level it is kept.
  std::optional<ItemPoint> state;
  int64_t best_end = INT64_MIN;
  SqliteStatement& read =
      connection_.Kept(&KeptStatements::bucket_before,
                       "SELECT bucket, end_status, end_value FROM rollups WHERE item = ?1"
                       " AND level = ?2 AND bucket <= ?3 ORDER BY bucket DESC LIMIT 1");
  for (RollupLevel level : kRollupLevels) {
    const int64_t width = LevelWidthMs(level);
    read.BindAll(item_id, level, at_ms - width);
    if (read.Step() == SQLITE_ROW && read.Int(0) + width > best_end) {
      best_end = read.Int(0) + width;
      state = StateFromColumns(read, 1, 2, at_ms);
    }
    read.Reset();
  }
  return state;
}

Status StoreReader::Reduce(int64_t item_id, int64_t now_ms, PixelReduction* out) {
  const auto& columns = out->columns();
  if (columns.empty()) return Status::Ok();
  const int64_t to = out->ColumnStart(static_cast<int>(columns.size()));
  SqliteStatement item(connection_.db(),
                       "SELECT kind, rolled_until, rolled_status, rolled_value, dropped_until"
                       " FROM items WHERE id = ?1 AND house = ?2");
  item.BindAll(item_id, connection_.house_id());
  if (int rc = item.Step(); rc != SQLITE_ROW) {
    return rc == SQLITE_DONE ? Status(Where::kHistory, kNotFound, "no such item")
                             : connection_.Failure(rc, "cannot read the item");
  }
  const ItemKind kind = static_cast<ItemKind>(item.Int(0));
  const int64_t rolled_until = item.Int(1);
  std::optional<ItemPoint> rolled_state;
  if (!item.IsNull(2)) {
    rolled_state = ItemPoint{rolled_until, static_cast<int32_t>(item.Int(2)),
                             item.IsNull(3) ? kNoValue : item.Real(3)};
  }
  // Nothing before the dropped part is known any more.
  const int64_t from = std::max(out->ColumnStart(0), item.Int(4));

  // The rolled-up part: the coarsest level whose buckets are no wider than a column, minute
  // buckets only where they are still kept and hour buckets before that.
  const int64_t rolled_end = std::min(to, rolled_until);
  if (from < rolled_end) {
    const int64_t column_ms = (to - out->ColumnStart(0)) / static_cast<int64_t>(columns.size());
    RollupLevel level = RollupLevel::kMinute;
    for (RollupLevel candidate : kRollupLevels) {
      if (LevelWidthMs(candidate) <= column_ms) level = candidate;
    }
    if (level == RollupLevel::kMinute) {
      const int64_t minute_from =
          std::clamp(connection_.MetaValue("minute_from", 0), from, rolled_end);
      Status hours = AddRolled(item_id, kind, RollupLevel::kHour, from, minute_from, out);
      if (hours.failed()) return hours;
      Status minutes = AddRolled(item_id, kind, RollupLevel::kMinute, minute_from, rolled_end, out);
      if (minutes.failed()) return minutes;
    } else {
      Status buckets = AddRolled(item_id, kind, level, from, rolled_end, out);
      if (buckets.failed()) return buckets;
    }
  }
  // The raw part, with the state it starts in: the sample before, or where the rollups ended.
  const int64_t raw_from = std::max(from, rolled_until);
  if (raw_from < to) {
    std::optional<ItemPoint> before = rolled_state;
    SqliteStatement last(connection_.db(),
                         "SELECT at, status, value FROM samples WHERE item = ?1 AND at < ?2"
                         " ORDER BY at DESC, seq DESC LIMIT 1");
    last.BindAll(item_id, raw_from);
    if (last.Step() == SQLITE_ROW) {
      before = ItemPoint{last.Int(0), static_cast<int32_t>(last.Int(1)),
                         last.IsNull(2) ? kNoValue : last.Real(2)};
    }
    std::vector<ItemPoint> points = Points(item_id, raw_from, to);
    // The last state holds until now, or through the range when a later sample ends it (the
    // clock was set back: "now" is then before the newest sample).
    SqliteStatement later(connection_.db(),
                          "SELECT 1 FROM samples WHERE item = ?1 AND at >= ?2 LIMIT 1");
    later.BindAll(item_id, to);
    const int64_t end = later.Step() == SQLITE_ROW ? to : std::min(to, now_ms);
    out->AddPoints(points, kind, raw_from, end, before ? &*before : nullptr);
  }
  return Status::Ok();
}

Status StoreReader::ReadEvents(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                               bool oldest_first, size_t limit,
                               const std::function<bool(const StoredEvent&)>& take) {
  std::string ids;
  for (int64_t id : item_ids) ids += (ids.empty() ? "" : ",") + std::to_string(id);
  const std::string house = std::to_string(connection_.house_id());
  std::string sample_filter = item_ids.empty() ? "i.house = " + house : "s.item IN (" + ids + ")";
  std::string log_filter =
      item_ids.empty() ? "i.house = " + house
                       : "i.house = " + house +
                             " AND i.name IN (SELECT name FROM items WHERE id IN (" + ids + "))";
  // The marks of times the client was not receiving are no events.
  std::string sql =
      "SELECT * FROM (SELECT s.at, i.kind, i.name, s.status, s.value, 0, '', '', '', s.seq"
      " FROM samples s JOIN items i ON i.id = s.item WHERE " +
      sample_filter + " AND s.status != " + std::to_string(kNotReceiving) +
      " AND s.at >= ?1 AND s.at < ?2 UNION ALL SELECT" HV_ENTRY_COLUMNS
      ", l.id FROM log l JOIN items i ON i.id = l.item WHERE " +
      log_filter + " AND l.at >= ?1 AND l.at < ?2) ORDER BY 1 " +
      (oldest_first ? "ASC, 10 ASC" : "DESC, 10 DESC") + " LIMIT ?3";
  SqliteStatement read(connection_.db(), sql.c_str());
  read.BindAll(from_ms, to_ms, static_cast<int64_t>(std::min<size_t>(limit, INT64_MAX)));
  int rc;
  while ((rc = read.Step()) == SQLITE_ROW) {
    if (!take(EventFromRow(read))) return Status::Ok();
  }
  return rc == SQLITE_DONE ? Status::Ok() : connection_.Failure(rc, "cannot read the events");
}

std::vector<StoredEvent> StoreReader::Events(int64_t from_ms, int64_t to_ms,
                                             const std::vector<int64_t>& item_ids, size_t limit) {
  // The newest `limit` events of a busy range are found in its last part: the range is read
  // from its end, over a stretch that grows fourfold until it holds enough, so a day of ten
  // thousand items never sorts the whole day for its newest rows.
  std::vector<StoredEvent> events;
  const int64_t span = to_ms > from_ms ? to_ms - from_ms : 0;
  int64_t stretch = std::max<int64_t>(span / 64, 1);
  for (;;) {
    const int64_t start = to_ms - stretch > from_ms && stretch < span ? to_ms - stretch : from_ms;
    events.clear();
    ReadEvents(start, to_ms, item_ids, false, limit, [&](const StoredEvent& event) {
      events.push_back(event);
      return true;
    }).Ignore("a failed read shows what was read");
    if (events.size() >= limit || start == from_ms) return events;
    stretch = stretch > span / 4 ? span : stretch * 4;
  }
}

Status StoreReader::ForEachEvent(int64_t from_ms, int64_t to_ms,
                                 const std::vector<int64_t>& item_ids,
                                 const std::function<bool(const StoredEvent&)>& take) {
  return ReadEvents(from_ms, to_ms, item_ids, true, SIZE_MAX, take);
}

Status StoreReader::CountEvents(int64_t from_ms, int64_t to_ms,
                                const std::vector<int64_t>& item_ids, int64_t* count) {
  *count = 0;
  std::string ids;
  for (int64_t id : item_ids) ids += (ids.empty() ? "" : ",") + std::to_string(id);
  const std::string house = std::to_string(connection_.house_id());
  const std::string items = item_ids.empty() ? "SELECT id FROM items WHERE house = " + house : ids;
  const std::string log_items =
      item_ids.empty() ? items
                       : "SELECT id FROM items WHERE house = " + house +
                             " AND name IN (SELECT name FROM items WHERE id IN (" + ids + "))";
  std::string sql = "SELECT (SELECT count(*) FROM samples WHERE item IN (" + items +
                    ") AND at >= ?1 AND at < ?2 AND status != " + std::to_string(kNotReceiving) +
                    "), (SELECT count(*) FROM log WHERE item IN (" + log_items +
                    ") AND at >= ?1 AND at < ?2)";
  SqliteStatement read(connection_.db(), sql.c_str());
  read.BindAll(from_ms, to_ms);
  int rc = read.Step();
  if (rc != SQLITE_ROW) return connection_.Failure(rc, "cannot count the events");
  *count = read.Int(0) + read.Int(1);
  return Status::Ok();
}

std::string StoreReader::RolledBucketsSql(const char* select,
                                          const std::vector<int64_t>& item_ids) const {
  std::string filter = "i.house = " + std::to_string(connection_.house_id());
  if (!item_ids.empty()) {
    std::string ids;
    for (int64_t id : item_ids) ids += (ids.empty() ? "" : ",") + std::to_string(id);
    filter += " AND i.id IN (" + ids + ")";
  }
  // Driven by the items, each read along its own key (item, level, bucket).
  return std::string("SELECT ") + select +
         " FROM items i JOIN rollups r ON r.item = i.id AND r.level = ?3 AND r.bucket >= ?1 AND"
         " r.bucket < ?2 AND r.bucket < i.rolled_until WHERE " +
         filter;
}

Status StoreReader::ForEachRolledBucket(int64_t from_ms, int64_t to_ms,
                                        const std::vector<int64_t>& item_ids, RollupLevel level,
                                        const std::function<bool(const StoredBucket&)>& take) {
  const std::string sql = RolledBucketsSql(
                              "i.kind, i.name, r.bucket, r.min, r.max, r.sum, r.count, r.on_ms,"
                              " r.known_ms, r.value_ms, r.end_status, r.end_value",
                              item_ids) +
                          " ORDER BY r.bucket, i.name, i.kind";
  SqliteStatement read(connection_.db(), sql.c_str());
  read.BindAll(from_ms, to_ms, level);
  const int64_t width = LevelWidthMs(level);
  int rc;
  StoredBucket row;
  while ((rc = read.Step()) == SQLITE_ROW) {
    row.kind = static_cast<ItemKind>(read.Int(0));
    row.name = read.Text(1);
    row.bucket = {read.Int(2), width,       read.Real(3), read.Real(4), read.Real(5),
                  read.Int(6), read.Int(7), read.Int(8),  read.Int(9),  std::nullopt};
    if (!read.IsNull(10)) {
      row.bucket.end_state =
          ItemPoint{row.bucket.start_ms + width, static_cast<int32_t>(read.Int(10)),
                    read.IsNull(11) ? kNoValue : read.Real(11)};
    }
    if (!take(row)) return Status::Ok();
  }
  return rc == SQLITE_DONE ? Status::Ok() : connection_.Failure(rc, "cannot read rollups");
}

Status StoreReader::CountRolledBuckets(int64_t from_ms, int64_t to_ms,
                                       const std::vector<int64_t>& item_ids, RollupLevel level,
                                       int64_t* count) {
  *count = 0;
  SqliteStatement read(connection_.db(), RolledBucketsSql("count(*)", item_ids).c_str());
  read.BindAll(from_ms, to_ms, level);
  const int rc = read.Step();
  if (rc != SQLITE_ROW) return connection_.Failure(rc, "cannot count rollups");
  *count = read.Int(0);
  return Status::Ok();
}

std::vector<StoredEvent> StoreReader::SearchLog(const std::string& words, size_t limit) {
  std::vector<StoredEvent> events;
  std::string query = WordIndexQuery(words);
  if (query.empty() || limit == 0) return events;
  // Newest stored first. The entries the index has not taken in yet are the newest ones and
  // few: read first; then the index, in its own order from the newest, stopping at the limit
  // however many entries match. One transaction, so the mark and both parts are read from one
  // snapshot: an entry indexed meanwhile is found once, and none is missed.
  connection_.Exec("BEGIN").Ignore("each part then reads its own snapshot");
  SqliteStatement recent(
      connection_.db(),
      "SELECT" HV_ENTRY_COLUMNS
      "FROM log l JOIN items i ON i.id = l.item WHERE l.id >"
      " (SELECT value FROM meta WHERE key = ?3) AND i.house = ?2 AND hv_words(?1, i.name,"
      " l.message, l.path) ORDER BY l.id DESC LIMIT ?4");
  recent.BindAll(words, connection_.house_id(), kIndexedTo,
                 static_cast<int64_t>(std::min<size_t>(limit, INT64_MAX)));
  while (events.size() < limit && recent.Step() == SQLITE_ROW)
    events.push_back(EventFromRow(recent));
  if (events.size() < limit) {
    SqliteStatement indexed(connection_.db(),
                            "SELECT rowid FROM log_text WHERE log_text MATCH ?1 AND rowid <="
                            " (SELECT value FROM meta WHERE key = ?2) ORDER BY rowid DESC");
    indexed.BindAll(query, kIndexedTo);
    SqliteStatement entry(connection_.db(), "SELECT" HV_ENTRY_COLUMNS
                                            "FROM log l JOIN items i ON"
                                            " i.id = l.item WHERE l.id = ?1 AND i.house = ?2");
    while (events.size() < limit && indexed.Step() == SQLITE_ROW) {
      entry.BindAll(indexed.Int(0), connection_.house_id());
      if (entry.Step() == SQLITE_ROW) events.push_back(EventFromRow(entry));
      entry.Reset();
    }
  }
  connection_.Exec("COMMIT").Ignore("a read-only transaction");
  return events;
}

}  // namespace hv::history
