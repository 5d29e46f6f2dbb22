// The history store's trim: rolling up what left the raw window, dropping what is older than
// the keep days, and keeping each house within the size limit.
//
// Rows are only ever dropped through a roll-up: an item's raw rows before a moment are first
// rolled up to it, and where its buckets before that moment go, a bucket holding the state it
// was in is left at the moment itself. So what remains always starts from the right state,
// whether rolled or raw, and a chart draws no seam where raw rows end.
#include "client/history/store_trimmer.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "client/history/sqlite_statement.h"
#include "client/history/store_connection.h"
#include "client/history/store_items.h"
#include "client/history/store_reader.h"
#include "client/history/store_rows.h"

namespace hv::history {

Status StoreTrimmer::StoreBucket(int64_t item_id, RollupLevel level, const RollupBucket& bucket) {
  // A bucket met again (a store of the first layout rolled part of it) is merged into.
  SqliteStatement& merge = connection_.Kept(
      &KeptStatements::bucket_merge,
      "INSERT INTO rollups(item, level, bucket, min, max, sum, count, on_ms, known_ms, value_ms,"
      " end_status, end_value) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)"
      " ON CONFLICT(item, level, bucket) DO UPDATE SET"
      " min = CASE WHEN count = 0 AND value_ms = 0 THEN excluded.min"
      "  WHEN excluded.count = 0 AND excluded.value_ms = 0 THEN min"
      "  ELSE min(min, excluded.min) END,"
      " max = CASE WHEN count = 0 AND value_ms = 0 THEN excluded.max"
      "  WHEN excluded.count = 0 AND excluded.value_ms = 0 THEN max"
      "  ELSE max(max, excluded.max) END,"
      " sum = sum + excluded.sum, count = count + excluded.count, on_ms = on_ms + excluded.on_ms,"
      " known_ms = known_ms + excluded.known_ms, value_ms = value_ms + excluded.value_ms,"
      " end_status = coalesce(excluded.end_status, end_status),"
      " end_value = CASE WHEN excluded.end_status IS NULL THEN end_value"
      "  ELSE excluded.end_value END");
  merge.BindAll(item_id, level, bucket.start_ms, bucket.min, bucket.max, bucket.sum, bucket.count,
                bucket.on_ms, bucket.known_ms, bucket.value_ms);
  if (bucket.end_state) {
    merge.Bind(11, bucket.end_state->status);
    if (HasValue(*bucket.end_state)) merge.BindReal(12, bucket.end_state->value);
  }
  const int rc = merge.Step();
  merge.Reset();
  return rc == SQLITE_DONE ? Status::Ok() : connection_.Failure(rc, "cannot store a rollup");
}

Status StoreTrimmer::RollUpItem(int64_t item_id, ItemKind kind, int64_t cutoff_ms) {
  SqliteStatement item(connection_.db(),
                       "SELECT rolled_until, rolled_status, rolled_value FROM items"
                       " WHERE id = ?1");
  item.Bind(1, item_id);
  if (int rc = item.Step(); rc != SQLITE_ROW)
    return connection_.Failure(rc, "cannot read the item");
  const int64_t rolled_until = item.Int(0);
  if (cutoff_ms <= rolled_until) return Status::Ok();
  // The roll-up goes on from the state the last one ended in.
  std::optional<ItemPoint> state = StateFromColumns(item, 1, 2, rolled_until);
  std::vector<ItemPoint> points = reader_.Points(item_id, 0, cutoff_ms);
  if (state || !points.empty()) {
    for (RollupLevel level : kRollupLevels) {
      for (const RollupBucket& bucket :
           RollUp(points, kind, rolled_until, state ? &*state : nullptr, cutoff_ms, level)) {
        Status stored = StoreBucket(item_id, level, bucket);
        if (stored.failed()) return stored;
      }
    }
  }
  if (!points.empty()) state = points.back();
  SqliteStatement drop(connection_.db(), "DELETE FROM samples WHERE item = ?1 AND at < ?2");
  drop.BindAll(item_id, cutoff_ms);
  if (int rc = drop.Step(); rc != SQLITE_DONE)
    return connection_.Failure(rc, "cannot drop rolled samples");
  SqliteStatement mark(connection_.db(),
                       "UPDATE items SET rolled_until = ?2, rolled_status = ?3, rolled_value = ?4"
                       " WHERE id = ?1");
  mark.BindAll(item_id, cutoff_ms);
  if (state) mark.Bind(3, state->status);
  if (state && HasValue(*state)) mark.BindReal(4, state->value);
  if (int rc = mark.Step(); rc != SQLITE_DONE)
    return connection_.Failure(rc, "cannot mark rolled samples");
  items_.ForgetLastRow(item_id);
  return Status::Ok();
}

Status StoreTrimmer::DropItemBefore(int64_t item_id, ItemKind kind, int64_t day_ms) {
  SqliteStatement item(connection_.db(), "SELECT dropped_until FROM items WHERE id = ?1");
  item.Bind(1, item_id);
  if (int rc = item.Step(); rc != SQLITE_ROW)
    return connection_.Failure(rc, "cannot read the item");
  if (day_ms <= item.Int(0)) return Status::Ok();
  Status rolled = RollUpItem(item_id, kind, day_ms);
  if (rolled.failed()) return rolled;
  SqliteStatement rolled_until(connection_.db(), "SELECT rolled_until FROM items WHERE id = ?1");
  rolled_until.Bind(1, item_id);
  if (int rc = rolled_until.Step(); rc != SQLITE_ROW)
    return connection_.Failure(rc, "cannot read the item");
  // Where no bucket starts at the moment, the state held through it is kept there; unless the
  // rollups end there, and the next roll-up starts from the state kept with the item.
  for (RollupLevel level : kRollupLevels) {
    if (rolled_until.Int(0) <= day_ms) break;
    SqliteStatement here(connection_.db(),
                         "SELECT 1 FROM rollups WHERE item = ?1 AND level = ?2 AND"
                         " bucket = ?3");
    here.BindAll(item_id, level, day_ms);
    if (here.Step() == SQLITE_ROW) continue;
    SqliteStatement before(connection_.db(),
                           "SELECT end_status, end_value FROM rollups WHERE item = ?1 AND"
                           " level = ?2 AND bucket < ?3 ORDER BY bucket DESC LIMIT 1");
    before.BindAll(item_id, level, day_ms);
    if (before.Step() != SQLITE_ROW) continue;
    std::optional<ItemPoint> state = StateFromColumns(before, 0, 1, day_ms);
    if (!state || !IsKnown(*state)) continue;
    Status kept =
        StoreBucket(item_id, level, HeldBucket(day_ms, LevelWidthMs(level), *state, kind));
    if (kept.failed()) return kept;
  }
  SqliteStatement drop(connection_.db(), "DELETE FROM rollups WHERE item = ?1 AND bucket < ?2");
  drop.BindAll(item_id, day_ms);
  if (int rc = drop.Step(); rc != SQLITE_DONE)
    return connection_.Failure(rc, "cannot drop old rollups");
  SqliteStatement mark(connection_.db(), "UPDATE items SET dropped_until = ?2 WHERE id = ?1");
  mark.BindAll(item_id, day_ms);
  if (int rc = mark.Step(); rc != SQLITE_DONE)
    return connection_.Failure(rc, "cannot mark dropped history");
  return Status::Ok();
}

Status StoreTrimmer::DropLogBefore(int64_t day_ms) {
  const std::string house = std::to_string(connection_.house_id());
  const std::string cut = std::to_string(day_ms);
  return connection_.Exec(
      ("DELETE FROM log_text WHERE rowid IN (SELECT log.id FROM log JOIN items ON"
       " items.id = log.item WHERE items.house = " +
       house + " AND log.at < " + cut + "); DELETE FROM log WHERE at < " + cut +
       " AND item IN (SELECT id FROM items WHERE house = " + house + ");" + kLowerIndexMark)
          .c_str());
}

Status StoreTrimmer::DropOlder(int64_t now_ms, const HistoryLimits& limits) {
  // An item's own days win over the store's.
  for (const StoredItem& item : items_.List()) {
    const int days = item.keep_days > 0 ? item.keep_days : limits.keep_days;
    Status dropped = connection_.InTransaction(
        [&] { return DropItemBefore(item.id, item.kind, FloorDay(now_ms - days * kDayMs)); });
    if (dropped.failed()) return dropped;
  }
  return connection_.InTransaction([&] {
    Status dropped = DropLogBefore(FloorDay(now_ms - limits.keep_days * kDayMs));
    if (dropped.failed()) return dropped;
    // Minute buckets are only drawn for short ranges; hours and days keep what is older.
    const int64_t minute_from = FloorDay(now_ms - limits.minute_days * kDayMs);
    SqliteStatement minutes(connection_.db(),
                            "DELETE FROM rollups WHERE level = 0 AND bucket < ?2 AND item IN"
                            " (SELECT id FROM items WHERE house = ?1)");
    minutes.BindAll(connection_.house_id(), minute_from);
    if (int rc = minutes.Step(); rc != SQLITE_DONE) {
      return connection_.Failure(rc, "cannot drop minute rollups");
    }
    return connection_.SetMetaValue("minute_from",
                                    std::max(minute_from, connection_.MetaValue("minute_from", 0)));
  });
}

int64_t StoreTrimmer::HouseBytes() {
  // This house's share of the pages in use, by its rows weighed by their usual size.
  SqliteStatement rows(
      connection_.db(),
      "SELECT (SELECT count(*) FROM samples WHERE item IN (SELECT id FROM items WHERE"
      " house = ?1)) * 24 + (SELECT count(*) FROM rollups WHERE item IN (SELECT id FROM items"
      " WHERE house = ?1)) * 64 + (SELECT count(*) FROM log WHERE item IN (SELECT id FROM"
      " items WHERE house = ?1)) * 160, (SELECT count(*) FROM samples) * 24 + (SELECT count(*)"
      " FROM rollups) * 64 + (SELECT count(*) FROM log) * 160");
  rows.Bind(1, connection_.house_id());
  if (rows.Step() != SQLITE_ROW || rows.Int(1) <= 0) return 0;
  const double share = static_cast<double>(rows.Int(0)) / static_cast<double>(rows.Int(1));
  return static_cast<int64_t>(share * static_cast<double>(connection_.UsedBytes()));
}

Status StoreTrimmer::DropForSize(int64_t now_ms, const HistoryLimits& limits) {
  // Only this house's rows go, the oldest days first, about as many as its share of the file
  // is over the limit. An item with days of its own keeps them.
  for (int round = 0; round < 16 && connection_.UsedBytes() > limits.max_bytes; ++round) {
    const int64_t house_bytes = HouseBytes();
    if (house_bytes <= limits.max_bytes) break;
    SqliteStatement span(
        connection_.db(),
        "SELECT min(m) FROM (SELECT min(dropped_until) AS m FROM items WHERE house = ?1 AND"
        " kind != ?2 UNION ALL SELECT min(bucket) FROM rollups WHERE item IN (SELECT id FROM"
        " items WHERE house = ?1) UNION ALL SELECT min(at) FROM log WHERE item IN (SELECT id"
        " FROM items WHERE house = ?1))");
    span.BindAll(connection_.house_id(), ItemKind::kLogName);
    if (span.Step() != SQLITE_ROW || span.IsNull(0)) break;
    const int64_t oldest = std::max(span.Int(0), now_ms - limits.keep_days * kDayMs);
    const double over =
        static_cast<double>(house_bytes - limits.max_bytes) / static_cast<double>(house_bytes);
    const int64_t cut =
        FloorDay(oldest + static_cast<int64_t>(over * static_cast<double>(now_ms - oldest))) +
        kDayMs;
    for (const StoredItem& item : items_.List()) {
      int64_t item_cut = std::min(cut, FloorDay(now_ms));
      if (item.keep_days > 0)
        item_cut = std::min(item_cut, FloorDay(now_ms - item.keep_days * kDayMs));
      Status dropped =
          connection_.InTransaction([&] { return DropItemBefore(item.id, item.kind, item_cut); });
      if (dropped.failed()) return dropped;
    }
    Status dropped = connection_.InTransaction([&] { return DropLogBefore(cut); });
    if (dropped.failed()) return dropped;
  }
  return Status::Ok();
}

int64_t StoreTrimmer::NewestRow() {
  SqliteStatement newest(
      connection_.db(),
      "SELECT max(m) FROM (SELECT (SELECT max(at) FROM samples WHERE item = items.id) AS m"
      " FROM items WHERE house = ?1 UNION ALL SELECT (SELECT max(at) FROM log WHERE"
      " item = items.id) FROM items WHERE house = ?1 AND kind = ?2 UNION ALL"
      " SELECT max(rolled_until) FROM items WHERE house = ?1)");
  newest.BindAll(connection_.house_id(), ItemKind::kLogName);
  return newest.Step() == SQLITE_ROW && !newest.IsNull(0) ? newest.Int(0) : INT64_MIN;
}

Status StoreTrimmer::Trim(int64_t now_ms, const HistoryLimits& limits) {
  if (connection_.read_only())
    return Status::Failure(Where::kHistory, "the store was opened for reading");
  // A clock that jumped ahead must not drop what is not old yet: nothing is older than the
  // newest row the store holds says.
  const int64_t newest = NewestRow();
  if (newest == INT64_MIN) return Status::Ok();
  now_ms = std::min(now_ms, newest);
  const int64_t cutoff = FloorDay(now_ms - limits.raw_days * kDayMs);
  const int64_t changes_before = sqlite3_total_changes64(connection_.db());
  // One transaction per item: a long roll-up never holds the other writers for long.
  for (const StoredItem& item : items_.List()) {
    if (item.raw_from_ms >= cutoff) continue;
    Status rolled =
        connection_.InTransaction([&] { return RollUpItem(item.id, item.kind, cutoff); });
    if (rolled.failed()) return rolled;
  }
  items_.ForgetLastRows();
  Status dropped = DropOlder(now_ms, limits);
  if (dropped.ok()) dropped = DropForSize(now_ms, limits);
  items_.ForgetLastRows();
  if (dropped.failed()) return dropped;
  // Freed pages go back to the file system, and the write-ahead log is cut back, so the file
  // shrinks after rows are dropped or rolled up (a trim that changed nothing syncs nothing).
  if (sqlite3_total_changes64(connection_.db()) != changes_before) {
    connection_.Exec("PRAGMA incremental_vacuum")
        .Ignore("free pages are reused by later writes anyway");
    sqlite3_wal_checkpoint_v2(connection_.db(), nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr,
                              nullptr);
  }
  return Status::Ok();
}

}  // namespace hv::history
