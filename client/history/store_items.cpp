#include "client/history/store_items.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>

#include "client/history/sqlite_statement.h"
#include "client/history/store_connection.h"
#include "client/history/store_rows.h"

namespace hv::history {

namespace {

// Items whose ids and last values are remembered between batches; beyond this they are read
// from the store again. A house of many thousand items would otherwise keep them all.
constexpr size_t kRememberedItems = 2048;

}  // namespace

StoreItems::StoreItems(StoreConnection& connection) : connection_(connection) {
  connection_.OnReopen([this] { Forget(); });
}

Status StoreItems::Id(ItemKind kind, const std::string& name, int64_t* id) {
  // Rows of one item often come one after the other (a log's entries mostly name the same few).
  if (last_item_id_ != 0 && kind == last_item_kind_ && name == last_item_name_) {
    *id = last_item_id_;
    return Status::Ok();
  }
  auto key = std::make_pair(static_cast<int32_t>(kind), name);
  if (auto found = item_ids_.find(key); found != item_ids_.end()) {
    *id = found->second;
  } else {
    SqliteStatement& add =
        connection_.Kept(&KeptStatements::item_add,
                         "INSERT OR IGNORE INTO items(house, kind, name) VALUES(?1, ?2, ?3)");
    add.BindAll(connection_.house_id(), kind, name);
    int rc = add.Step();
    add.Reset();
    if (rc != SQLITE_DONE) return connection_.Failure(rc, "cannot add an item");
    SqliteStatement& find =
        connection_.Kept(&KeptStatements::item_find,
                         "SELECT id FROM items WHERE house = ?1 AND kind = ?2 AND name = ?3");
    find.BindAll(connection_.house_id(), kind, name);
    rc = find.Step();
    if (rc == SQLITE_ROW) *id = find.Int(0);
    find.Reset();
    if (rc != SQLITE_ROW) return connection_.Failure(rc, "cannot find an item");
    if (item_ids_.size() >= kRememberedItems) item_ids_.clear();
    item_ids_.emplace(std::move(key), *id);
  }
  last_item_kind_ = kind;
  last_item_name_ = name;
  last_item_id_ = *id;
  return Status::Ok();
}

Status StoreItems::LastRow(int64_t item_id, StoredLast* last) {
  if (auto found = last_status_.find(item_id); found != last_status_.end()) {
    *last = found->second;
    return Status::Ok();
  }
  SqliteStatement& read = connection_.Kept(
      &KeptStatements::last_sample,
      "SELECT * FROM (SELECT at, seq, status, value, 1 FROM samples WHERE item = ?1"
      " ORDER BY at DESC, seq DESC LIMIT 1) UNION ALL SELECT rolled_until, -1,"
      " coalesce(rolled_status, ?2), rolled_value, 0 FROM items WHERE id = ?1"
      " ORDER BY 5 DESC LIMIT 1");
  read.BindAll(item_id, kNotReceiving);
  int rc = read.Step();
  if (rc == SQLITE_ROW) {
    last->at_ms = read.Int(0);
    last->seq = read.Int(1);
    last->status = static_cast<int32_t>(read.Int(2));
    last->value = read.IsNull(3) ? kNoValue : read.Real(3);
    // An item whose rows are all rolled up, or that has none, is in its rolled state (none
    // known at first).
    last->known = read.Int(4) == 1 || last->status != kNotReceiving || last->at_ms > 0;
  }
  read.Reset();
  if (rc != SQLITE_ROW) return connection_.Failure(rc, "cannot read an item's last status");
  if (last_status_.size() >= kRememberedItems) last_status_.clear();
  last_status_[item_id] = *last;
  return Status::Ok();
}

Status StoreItems::InsertSample(int64_t item_id, int64_t at_ms, int32_t status, double value) {
  StoredLast last;
  Status read = LastRow(item_id, &last);
  if (read.failed()) return read;
  const bool same_value = (std::isnan(value) && std::isnan(last.value)) || value == last.value;
  // A sample equal to the state stored adds nothing (a reconnect lists every item again).
  if (last.known && last.status == status && same_value) return Status::Ok();
  // Stamps never run backwards within an item: with the clock set back, a change is placed
  // at the newest stored moment, so that what came last is read last.
  const int64_t at = std::max(at_ms, last.at_ms);
  const int64_t seq = at == last.at_ms ? last.seq + 1 : 0;
  SqliteStatement& insert = connection_.Kept(
      &KeptStatements::sample_insert,
      "INSERT INTO samples(item, at, seq, status, value) VALUES(?1, ?2, ?3, ?4, ?5)");
  insert.BindAll(item_id, at, seq, status);
  if (std::isnan(value)) {
    insert.BindNull(5);
  } else {
    insert.BindReal(5, value);
  }
  int rc = insert.Step();
  insert.Reset();
  if (rc != SQLITE_DONE) return connection_.Failure(rc, "cannot store a status");
  last_status_[item_id] = {at, seq, status, value, true};
  return Status::Ok();
}

void StoreItems::Forget() {
  item_ids_.clear();
  last_status_.clear();
  last_item_id_ = 0;
}

bool StoreItems::LastPoint(int64_t item_id, ItemPoint* point) {
  StoredLast last;
  if (LastRow(item_id, &last).failed() || !last.known) return false;
  *point = {last.at_ms, last.status, last.value};
  return true;
}

std::vector<StoredItem> StoreItems::List() {
  std::vector<StoredItem> items;
  SqliteStatement list(connection_.db(),
                       "SELECT id, kind, name, keep_days, dropped_until, rolled_until FROM"
                       " items WHERE house = ?1 AND kind != ?2 ORDER BY kind, name");
  list.BindAll(connection_.house_id(), ItemKind::kLogName);
  while (list.Step() == SQLITE_ROW) {
    items.push_back({list.Int(0), static_cast<ItemKind>(list.Int(1)), list.Text(2),
                     static_cast<int>(list.Int(3)), list.Int(4), list.Int(5)});
  }
  return items;
}

std::vector<ItemUsage> StoreItems::Usage() {
  std::vector<ItemUsage> usage;
  // Rough sizes of a row of each table, for ranking only: samples are small and fixed, a
  // rollup twice that, an entry its texts and a fixed part.
  SqliteStatement rows(connection_.db(),
                       "SELECT id, kind, name, keep_days,"
                       " (SELECT count(*) FROM samples WHERE item = items.id),"
                       " (SELECT count(*) FROM rollups WHERE item = items.id),"
                       " (SELECT count(*) FROM log WHERE item = items.id),"
                       " (SELECT coalesce(sum(length(message) + length(path)), 0) FROM log"
                       "  WHERE item = items.id)"
                       " FROM items WHERE house = ?1");
  rows.Bind(1, connection_.house_id());
  while (rows.Step() == SQLITE_ROW) {
    ItemUsage one;
    one.item = {rows.Int(0),
                static_cast<ItemKind>(rows.Int(1)),
                rows.Text(2),
                static_cast<int>(rows.Int(3)),
                0,
                0};
    one.rows = rows.Int(4) + rows.Int(5) + rows.Int(6);
    one.bytes = rows.Int(4) * 24 + rows.Int(5) * 48 + rows.Int(6) * 64 + rows.Int(7) * 2;
    usage.push_back(std::move(one));
  }
  std::sort(usage.begin(), usage.end(),
            [](const ItemUsage& a, const ItemUsage& b) { return a.bytes > b.bytes; });
  return usage;
}

Status StoreItems::SetKeepDays(int64_t item_id, int days) {
  if (days < 0) return Status::Failure(Where::kHistory, "days of history cannot be negative");
  SharedStoreHold hold(&connection_.lock());
  if (Status followed = connection_.FollowMovedFile(); followed.failed()) return followed;
  SqliteStatement set(connection_.db(),
                      "UPDATE items SET keep_days = ?2 WHERE id = ?1 AND house = ?3");
  set.BindAll(item_id, days, connection_.house_id());
  int rc = set.Step();
  return rc == SQLITE_DONE ? Status::Ok() : connection_.Failure(rc, "cannot set the item's days");
}

}  // namespace hv::history
