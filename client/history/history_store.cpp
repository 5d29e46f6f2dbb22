#include "client/history/history_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

#include "client/history/log_words.h"
#include "client/history/sqlite_statement.h"
#include "core/profile/store_file.h"
#include "core/profile/user_folders.h"

namespace hv::history {

namespace {

constexpr int32_t kApplicationId = 0x48564853;  // "HVHS": marks the file as ours
constexpr int kBusyTimeoutMs = 5000;
constexpr int64_t kDayMs = 86'400'000;
// Items whose ids and last values are remembered between batches; beyond this they are read
// from the store again. A house of many thousand items would otherwise keep them all.
constexpr size_t kRememberedItems = 2048;

const char kSchema[] =
    "CREATE TABLE houses(id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE);"
    "CREATE TABLE items(id INTEGER PRIMARY KEY, house INTEGER NOT NULL, kind INTEGER NOT NULL,"
    " name TEXT NOT NULL, keep_days INTEGER NOT NULL DEFAULT 0,"
    " rolled_until INTEGER NOT NULL DEFAULT 0, rolled_status INTEGER,"
    " UNIQUE(house, kind, name));"
    // The key is the whole row: no second index, and a sample repeated in the same
    // millisecond is one sample.
    "CREATE TABLE samples(item INTEGER NOT NULL, at INTEGER NOT NULL, status INTEGER NOT NULL,"
    " value REAL NOT NULL, PRIMARY KEY(item, at, status, value)) WITHOUT ROWID;"
    "CREATE TABLE rollups(item INTEGER NOT NULL, level INTEGER NOT NULL,"
    " bucket INTEGER NOT NULL, min REAL NOT NULL, max REAL NOT NULL, sum REAL NOT NULL,"
    " count INTEGER NOT NULL, on_ms INTEGER NOT NULL, PRIMARY KEY(item, level, bucket))"
    " WITHOUT ROWID;"
    "CREATE TABLE log(id INTEGER PRIMARY KEY, item INTEGER NOT NULL, at INTEGER NOT NULL,"
    " type INTEGER NOT NULL, message TEXT NOT NULL, path TEXT NOT NULL,"
    " function INTEGER NOT NULL, value REAL NOT NULL, extra INTEGER NOT NULL,"
    " date TEXT NOT NULL, time TEXT NOT NULL, detail1 INTEGER NOT NULL,"
    " detail2 INTEGER NOT NULL, fingerprint INTEGER UNIQUE);"
    "CREATE INDEX log_at ON log(at);"
    "CREATE INDEX log_item ON log(item, at);"
    "CREATE VIRTUAL TABLE log_text USING fts5(name, message, path);"
    "INSERT INTO log_text(log_text, rank) VALUES('hashsize', 262144);"  // see Prepare
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID;"
    "INSERT INTO meta(key, value) VALUES('log_indexed_to', 0);";

// Activity entries are stored first and taken into the word index later, in the writer's idle
// time, so a whole log arriving at once is stored at the pace of its rows, not of its words.
// The index holds every entry up to this id (in the meta table, for all houses: ids are the
// log table's). A store made before entries were indexed later has them all in its index.
const char kIndexedTo[] = "log_indexed_to";
const char kMarkOldStoreIndexed[] =
    "INSERT OR IGNORE INTO meta(key, value) SELECT 'log_indexed_to', coalesce(max(id), 0)"
    " FROM log";
// Dropped entries may have been the newest: the next ones take their ids again, so the mark
// comes down with them (whatever is left below it is still indexed).
const char kLowerIndexMark[] =
    "UPDATE meta SET value = (SELECT coalesce(max(id), 0) FROM log)"
    " WHERE key = 'log_indexed_to' AND value > (SELECT coalesce(max(id), 0) FROM log)";

bool IsCorruption(int rc) {
  rc &= 0xFF;
  return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

bool IsFull(int rc) { return (rc & 0xFF) == SQLITE_FULL || (rc & 0xFF) == SQLITE_IOERR; }

int64_t FloorDay(int64_t at_ms) { return at_ms - (((at_ms % kDayMs) + kDayMs) % kDayMs); }

std::string StateHome() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return state;
  return HomeFolder() + "/.local/state";
}

sqlite3* OpenDatabase(const std::string& path) {
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  if (path.empty()) flags |= SQLITE_OPEN_MEMORY;
  if (sqlite3_open_v2(path.empty() ? ":memory:" : path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  if (!AddWordsFunction(db)) {
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  // Must come before the first table: freed pages can then be given back to the file
  // system after the size limit drops rows.
  sqlite3_exec(db, "PRAGMA auto_vacuum=INCREMENTAL", nullptr, nullptr, nullptr);
  // A small page cache: the writer appends, and readers find their rows through indexes; the
  // file system caches the rest. Temporary tables spill to a file rather than grow in memory.
  sqlite3_exec(db, "PRAGMA cache_size=-512; PRAGMA temp.cache_size=-128; PRAGMA temp_store=FILE",
               nullptr, nullptr, nullptr);
  // WAL with normal syncing: a batch commit does not wait for two disk syncs, readers go on
  // while the writer writes, and a crash of the program loses nothing committed.
  sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  return db;
}

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

// The nine columns of an activity entry `l` (with its item `i`) that EventFromRow reads.
#define HV_ENTRY_COLUMNS \
  " l.at, i.kind, i.name, l.function, l.value, l.type, l.message, l.date, l.time "

// An event from the nine columns the event queries select: at, kind, name, status or
// function code, value, entry type, message, date and time.
StoredEvent EventFromRow(const SqliteStatement& row) {
  StoredEvent event;
  event.at_ms = row.Int(0);
  event.kind = static_cast<ItemKind>(row.Int(1));
  event.name = row.Text(2);
  event.code = static_cast<int32_t>(row.Int(3));
  event.value = row.Real(4);
  event.entry_type = static_cast<int32_t>(row.Int(5));
  event.message = row.Text(6);
  event.date_text = row.Text(7);
  event.time_text = row.Text(8);
  return event;
}

}  // namespace

int64_t LogFingerprint(const std::string& house_key, const LogRow& row, int32_t occurrence) {
  if (row.date_text.empty() && row.time_text.empty()) return 0;
  Fingerprint print;
  print.Add(house_key, row.entry_type, row.name, row.message, row.path, row.function_code,
            std::bit_cast<int64_t>(row.value), row.extra, row.date_text, row.time_text, row.detail1,
            row.detail2, occurrence);
  return print.value();
}

std::string HistoryStore::DefaultPath() { return StateHome() + "/hearthview/history.db"; }

HistoryStore::HistoryStore(sqlite3* db, std::string path, std::string house_key)
    : db_(db), path_(std::move(path)), house_key_(std::move(house_key)) {}

HistoryStore::~HistoryStore() {
  ForgetStatements();
  sqlite3_close_v2(db_);
}

SqliteStatement& HistoryStore::Kept(std::unique_ptr<SqliteStatement>& slot, const char* sql) {
  // One that could not be prepared (the file was busy or damaged) is tried again.
  if (slot == nullptr || !slot->ok()) slot = std::make_unique<SqliteStatement>(db_, sql);
  return *slot;
}

void HistoryStore::ForgetStatements() { kept_ = KeptStatements(); }

std::unique_ptr<HistoryStore> HistoryStore::Open(const std::string& path,
                                                 const std::string& house_key, Status* status) {
  auto fail = [&](std::string why) {
    if (status != nullptr) *status = Status::Failure(Where::kHistory, std::move(why));
    return nullptr;
  };
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) {
    return fail("cannot create the folder of " + path);
  }
  if (!PreparePrivateFile(path)) return fail("cannot create " + path);
  sqlite3* db = OpenDatabase(path);
  if (db == nullptr) return fail("cannot open " + path);
  std::unique_ptr<HistoryStore> store(new HistoryStore(db, path, house_key));
  Status prepared = store->Prepare();
  if (prepared.failed()) {
    if (status != nullptr) *status = prepared;
    return nullptr;
  }
  if (status != nullptr) *status = Status::Ok();
  return store;
}

std::unique_ptr<HistoryStore> HistoryStore::OpenInMemory(const std::string& house_key) {
  sqlite3* db = OpenDatabase("");
  if (db == nullptr) return nullptr;
  std::unique_ptr<HistoryStore> store(new HistoryStore(db, "", house_key));
  if (store->Prepare().failed()) return nullptr;
  return store;
}

Status HistoryStore::Failure(int rc, const char* what) {
  if (IsFull(rc)) return Status(Where::kHistory, kHistoryDiskFull, what);
  if (IsCorruption(rc)) return Status(Where::kHistory, kHistoryCorrupt, what);
  if ((rc & 0xFF) == SQLITE_BUSY) return Status(Where::kHistory, kTimedOut, what);
  return Status::Failure(Where::kHistory,
                         std::string(what) + ": " + (db_ != nullptr ? sqlite3_errmsg(db_) : ""));
}

Status HistoryStore::InTransaction(const std::function<Status()>& body) {
  Status begun = Exec("BEGIN IMMEDIATE");
  if (begun.failed()) return begun;
  Status done = body();
  if (done.ok()) done = Exec("COMMIT");
  if (done.failed()) Exec("ROLLBACK").Ignore("the transaction's own failure is returned");
  return done;
}

Status HistoryStore::Exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? Status::Ok() : Failure(rc, sql);
}

// Makes sure the file holds our tables (creating them in a fresh file) and this house's row.
// A file that is not ours, or that cannot be read, is moved aside and a new store started.
Status HistoryStore::Prepare() {
  for (int attempt = 0; attempt < 2; ++attempt) {
    int64_t id = -1;
    int64_t tables = -1;
    int rc;
    {
      // One statement, one snapshot: another client creating the tables between two reads
      // must not make a fresh store look foreign.
      SqliteStatement look(db_,
                           "SELECT (SELECT application_id FROM pragma_application_id),"
                           " (SELECT count(*) FROM sqlite_master)");
      rc = look.Step();
      if (rc == SQLITE_ROW) {
        id = look.Int(0);
        tables = look.Int(1);
      }
    }
    bool foreign = rc != SQLITE_ROW || (id != kApplicationId && (id != 0 || tables != 0));
    if (foreign) {
      if ((rc != SQLITE_ROW && !IsCorruption(rc)) || path_.empty() || attempt > 0) {
        return Failure(rc, "cannot read the history store");
      }
      std::string aside;
      Status recovered = Recover(&aside);
      if (recovered.failed()) return recovered;
      continue;
    }
    if (id != kApplicationId) {
      Status made = InTransaction([&] {
        SqliteStatement recheck(db_, "PRAGMA application_id");
        if (recheck.Step() != SQLITE_ROW || recheck.Int(0) != 0) return Status::Ok();
        std::string sql =
            std::string(kSchema) + "PRAGMA application_id = " + std::to_string(kApplicationId);
        return Exec(sql.c_str());
      });
      if (made.failed()) return made;
    }
    break;
  }
  SqliteStatement add(db_, "INSERT OR IGNORE INTO houses(key) VALUES(?1)");
  add.BindText(1, house_key_);
  if (int rc = add.Step(); rc != SQLITE_DONE) return Failure(rc, "cannot add the house");
  SqliteStatement find(db_, "SELECT id FROM houses WHERE key = ?1");
  find.BindText(1, house_key_);
  if (int rc = find.Step(); rc != SQLITE_ROW) return Failure(rc, "cannot find the house");
  house_id_ = find.Int(0);
  {
    // The word index gathers a transaction's words in memory up to this size (1 MB unless
    // told): a store made before it was told learns it here.
    SqliteStatement told(db_, "SELECT 1 FROM log_text_config WHERE k = 'hashsize'");
    if (told.Step() == SQLITE_DONE) {
      Exec("INSERT INTO log_text(log_text, rank) VALUES('hashsize', 262144)")
          .Ignore("the index then works with its larger default");
    }
  }
  {
    // Written only when missing: a write here would wait for another client's transaction.
    SqliteStatement mark(db_, "SELECT 1 FROM meta WHERE key = ?1");
    mark.BindText(1, kIndexedTo);
    if (int rc = mark.Step(); rc == SQLITE_DONE) {
      Status marked = Exec(kMarkOldStoreIndexed);
      if (marked.failed()) return marked;
    } else if (rc != SQLITE_ROW) {
      return Failure(rc, "cannot read the indexed entries' mark");
    }
  }
  // This connection's own count of the session's entries (see Write).
  return Exec(
      "CREATE TEMP TABLE IF NOT EXISTS seen(print INTEGER PRIMARY KEY, count INTEGER NOT NULL)");
}

Status HistoryStore::StartAfresh(std::string* aside) {
  if (path_.empty()) return Status::Failure(Where::kHistory, "a store in memory cannot be renewed");
  Status recovered = Recover(aside);
  if (recovered.failed()) return recovered;
  return Prepare();
}

Status HistoryStore::Recover(std::string* aside) {
  ForgetStatements();
  sqlite3_close_v2(db_);
  db_ = nullptr;
  if (!MoveStoreAside(path_, aside)) {
    return Status::Failure(Where::kHistory, "cannot move aside the unreadable " + path_);
  }
  std::fprintf(stderr,
               "hearthview: the history store %s could not be read; it was moved to %s and a "
               "new store was started\n",
               path_.c_str(), aside->c_str());
  ForgetItems();
  if (!PreparePrivateFile(path_) || (db_ = OpenDatabase(path_)) == nullptr) {
    return Status::Failure(Where::kHistory, "cannot create " + path_);
  }
  return Status::Ok();
}

Status HistoryStore::ItemId(ItemKind kind, const std::string& name, int64_t* id) {
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
        Kept(kept_.item_add, "INSERT OR IGNORE INTO items(house, kind, name) VALUES(?1, ?2, ?3)");
    add.BindAll(house_id_, kind, name);
    int rc = add.Step();
    add.Reset();
    if (rc != SQLITE_DONE) return Failure(rc, "cannot add an item");
    SqliteStatement& find =
        Kept(kept_.item_find, "SELECT id FROM items WHERE house = ?1 AND kind = ?2 AND name = ?3");
    find.BindAll(house_id_, kind, name);
    rc = find.Step();
    if (rc == SQLITE_ROW) *id = find.Int(0);
    find.Reset();
    if (rc != SQLITE_ROW) return Failure(rc, "cannot find an item");
    if (item_ids_.size() >= kRememberedItems) item_ids_.clear();
    item_ids_.emplace(std::move(key), *id);
  }
  last_item_kind_ = kind;
  last_item_name_ = name;
  last_item_id_ = *id;
  return Status::Ok();
}

bool HistoryStore::SameAsLast(int64_t item_id, const StatusSample& sample) {
  auto found = last_status_.find(item_id);
  if (found == last_status_.end()) {
    SqliteStatement& last =
        Kept(kept_.last_sample,
             "SELECT status, value FROM samples WHERE item = ?1 ORDER BY at DESC LIMIT 1");
    last.Bind(1, item_id);
    if (last.Step() != SQLITE_ROW) {
      last.Reset();
      return false;
    }
    const std::pair<int32_t, double> status(static_cast<int32_t>(last.Int(0)), last.Real(1));
    last.Reset();
    if (last_status_.size() >= kRememberedItems) last_status_.clear();
    found = last_status_.emplace(item_id, status).first;
  }
  return found->second.first == sample.status && found->second.second == sample.value;
}

// What the transaction added is gone: ids and last values learnt in it may be wrong.
void HistoryStore::ForgetItems() {
  item_ids_.clear();
  last_status_.clear();
  last_item_id_ = 0;
}

Status HistoryStore::Write(const HistoryBatch& batch) {
  if (batch.new_session) session_reset_due_ = true;
  if (batch.empty()) return Status::Ok();
  const bool reset = session_reset_due_;
  Status written = InTransaction([&] {
    Status cleared = reset ? Exec("DELETE FROM temp.seen") : Status::Ok();
    return cleared.ok() ? WriteInTransaction(batch) : cleared;
  });
  // Kept due until a write that began the count afresh is committed.
  if (written.ok() && reset) session_reset_due_ = false;
  if (written.failed()) ForgetItems();
  return written;
}

Status HistoryStore::WriteInTransaction(const HistoryBatch& batch) {
  // Each sample's item, then the samples grouped by item (in arrival order within one): an
  // item's rows go to the same few pages of the samples table, where inserting them in
  // arrival order would touch a page per row, and a small page cache would read and spill
  // each one again.
  std::vector<std::pair<int64_t, uint32_t>> order;
  order.reserve(batch.samples.size());
  for (uint32_t i = 0; i < batch.samples.size(); ++i) {
    const StatusSample& sample = batch.samples[i];
    int64_t item = 0;
    Status found = ItemId(sample.kind, sample.name, &item);
    if (found.failed()) return found;
    order.emplace_back(item, i);
  }
  std::sort(order.begin(), order.end());
  SqliteStatement& insert =
      Kept(kept_.sample_insert,
           "INSERT OR IGNORE INTO samples(item, at, status, value) VALUES(?1, ?2, ?3, ?4)");
  for (auto [item, index] : order) {
    const StatusSample& sample = batch.samples[index];
    if (SameAsLast(item, sample)) continue;
    if (last_status_.size() >= kRememberedItems) last_status_.clear();
    insert.BindAll(item, sample.at_ms, sample.status, sample.value);
    int rc = insert.Step();
    insert.Reset();
    if (rc != SQLITE_DONE) return Failure(rc, "cannot store a status");
    last_status_[item] = {sample.status, sample.value};
  }
  return batch.log.empty() ? Status::Ok() : WriteLog(batch.log);
}

// An entry's first sighting in the session only adds its print (no row to read back, which
// is most of the cost); a later one counts up.
Status HistoryStore::Occurrence(int64_t first_print, int32_t* occurrence) {
  SqliteStatement& first =
      Kept(kept_.seen_first, "INSERT OR IGNORE INTO temp.seen(print, count) VALUES(?1, 0)");
  first.Bind(1, first_print);
  int rc = first.Step();
  first.Reset();
  if (rc != SQLITE_DONE) return Failure(rc, "cannot count an entry");
  *occurrence = 0;
  if (sqlite3_changes(db_) > 0) return Status::Ok();
  SqliteStatement& again = Kept(
      kept_.seen_again, "UPDATE temp.seen SET count = count + 1 WHERE print = ?1 RETURNING count");
  again.Bind(1, first_print);
  rc = again.Step();
  if (rc == SQLITE_ROW) *occurrence = static_cast<int32_t>(again.Int(0));
  again.Reset();
  return rc == SQLITE_ROW ? Status::Ok() : Failure(rc, "cannot count an entry");
}

Status HistoryStore::WriteLog(const std::vector<LogRow>& rows) {
  // Each server entry's place among the identical entries of the session, counted in the
  // order of their fingerprints (identical entries in the order they came): the count's table
  // is then read page after page instead of at random for every entry.
  std::vector<int64_t> firsts(rows.size());
  std::vector<std::pair<int64_t, uint32_t>> by_print;
  by_print.reserve(rows.size());
  for (uint32_t i = 0; i < rows.size(); ++i) {
    firsts[i] = LogFingerprint(house_key_, rows[i], 0);
    if (firsts[i] != 0) by_print.emplace_back(firsts[i], i);
  }
  std::sort(by_print.begin(), by_print.end());
  std::vector<int32_t> occurrences(rows.size(), 0);
  for (auto [first, index] : by_print) {
    Status counted = Occurrence(first, &occurrences[index]);
    if (counted.failed()) return counted;
  }
  SqliteStatement& insert =
      Kept(kept_.log_insert,
           "INSERT OR IGNORE INTO log(item, at, type, message, path, function, value, extra, date,"
           " time, detail1, detail2, fingerprint) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10,"
           " ?11, ?12, ?13)");
  for (uint32_t i = 0; i < rows.size(); ++i) {
    const LogRow& row = rows[i];
    int64_t item = 0;
    Status found = ItemId(ItemKind::kLogName, row.name, &item);
    if (found.failed()) return found;
    insert.BindAll(item, row.at_ms, row.entry_type, row.message, row.path, row.function_code,
                   row.value, row.extra, row.date_text, row.time_text, row.detail1, row.detail2);
    if (firsts[i] == 0) {
      insert.BindNull(13);  // the client's own entry: never sent again
    } else {
      insert.Bind(
          13, occurrences[i] == 0 ? firsts[i] : LogFingerprint(house_key_, row, occurrences[i]));
    }
    int rc = insert.Step();
    insert.Reset();
    if (rc != SQLITE_DONE) return Failure(rc, "cannot store an activity entry");
  }
  return Status::Ok();
}

Status HistoryStore::IndexLog(size_t max_rows, bool* more) {
  int64_t rows = 0;
  Status indexed = InTransaction([&] {
    SqliteStatement mark(db_, "SELECT value FROM meta WHERE key = ?1");
    mark.BindText(1, kIndexedTo);
    int rc = mark.Step();
    if (rc != SQLITE_ROW) return Failure(rc, "cannot read the indexed entries' mark");
    const int64_t from = mark.Int(0);
    SqliteStatement next(db_,
                         "SELECT max(id), count(*) FROM (SELECT id FROM log WHERE id > ?1"
                         " ORDER BY id LIMIT ?2)");
    next.BindAll(from, max_rows);
    if (rc = next.Step(); rc != SQLITE_ROW) return Failure(rc, "cannot find entries to index");
    rows = next.Int(1);
    if (rows == 0) return Status::Ok();
    const int64_t to = next.Int(0);
    SqliteStatement add(db_,
                        "INSERT INTO log_text(rowid, name, message, path) SELECT l.id, i.name,"
                        " l.message, l.path FROM log l JOIN items i ON i.id = l.item"
                        " WHERE l.id > ?1 AND l.id <= ?2");
    add.BindAll(from, to);
    if (rc = add.Step(); rc != SQLITE_DONE) return Failure(rc, "cannot index activity entries");
    SqliteStatement advance(db_, "UPDATE meta SET value = ?2 WHERE key = ?1");
    advance.BindAll(kIndexedTo, to);
    rc = advance.Step();
    return rc == SQLITE_DONE ? Status::Ok() : Failure(rc, "cannot mark the indexed entries");
  });
  *more = indexed.ok() && rows >= static_cast<int64_t>(max_rows);
  return indexed;
}

int64_t HistoryStore::UsedBytes() {
  SqliteStatement pages(db_,
                        "SELECT (SELECT page_count FROM pragma_page_count) -"
                        " (SELECT freelist_count FROM pragma_freelist_count),"
                        " (SELECT page_size FROM pragma_page_size)");
  if (pages.Step() != SQLITE_ROW) return 0;
  return pages.Int(0) * pages.Int(1);
}

int64_t HistoryStore::MetaValue(const char* key, int64_t fallback) {
  SqliteStatement read(db_, "SELECT value FROM meta WHERE key = ?1");
  read.BindText(1, std::string(key) + ":" + std::to_string(house_id_));
  return read.Step() == SQLITE_ROW ? read.Int(0) : fallback;
}

Status HistoryStore::SetMetaValue(const char* key, int64_t value) {
  SqliteStatement write(db_, "INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)");
  write.BindAll(std::string(key) + ":" + std::to_string(house_id_), value);
  int rc = write.Step();
  return rc == SQLITE_DONE ? Status::Ok() : Failure(rc, "cannot note the rollups");
}

Status HistoryStore::RollUpItem(int64_t item_id, ItemKind kind, int64_t cutoff_ms) {
  std::vector<ItemPoint> points = Points(item_id, 0, cutoff_ms);
  if (points.empty()) return Status::Ok();
  // The last rolled-up sample is on until the next one, which may be past the cutoff; the
  // raw part draws the rest from its state.
  int64_t end_ms = cutoff_ms;
  SqliteStatement next(db_,
                       "SELECT at FROM samples WHERE item = ?1 AND at >= ?2 ORDER BY at LIMIT 1");
  next.BindAll(item_id, cutoff_ms);
  if (next.Step() == SQLITE_ROW) end_ms = std::min(end_ms, next.Int(0));
  SqliteStatement merge(
      db_,
      "INSERT INTO rollups(item, level, bucket, min, max, sum, count, on_ms)"
      " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) ON CONFLICT(item, level, bucket) DO UPDATE SET"
      " min = CASE WHEN count = 0 THEN excluded.min WHEN excluded.count = 0 THEN min"
      "  ELSE min(min, excluded.min) END,"
      " max = CASE WHEN count = 0 THEN excluded.max WHEN excluded.count = 0 THEN max"
      "  ELSE max(max, excluded.max) END,"
      " sum = sum + excluded.sum, count = count + excluded.count, on_ms = on_ms + excluded.on_ms");
  for (RollupLevel level : kRollupLevels) {
    for (const RollupBucket& bucket : RollUp(points, kind, end_ms, level)) {
      merge.BindAll(item_id, level, bucket.start_ms, bucket.min, bucket.max, bucket.sum,
                    bucket.count, bucket.on_ms);
      int rc = merge.Step();
      merge.Reset();
      if (rc != SQLITE_DONE) return Failure(rc, "cannot store a rollup");
    }
  }
  SqliteStatement drop(db_, "DELETE FROM samples WHERE item = ?1 AND at < ?2");
  drop.BindAll(item_id, cutoff_ms);
  if (int rc = drop.Step(); rc != SQLITE_DONE) return Failure(rc, "cannot drop rolled samples");
  SqliteStatement mark(db_,
                       "UPDATE items SET rolled_until = max(rolled_until, ?2), rolled_status = ?3"
                       " WHERE id = ?1");
  mark.BindAll(item_id, cutoff_ms, points.back().status);
  if (int rc = mark.Step(); rc != SQLITE_DONE) return Failure(rc, "cannot mark rolled samples");
  return Status::Ok();
}

Status HistoryStore::DropOlder(int64_t now_ms, const HistoryLimits& limits) {
  // An item's own days win over the store's; rows of every table older than that go.
  SqliteStatement drop_samples(
      db_,
      "DELETE FROM samples WHERE item IN (SELECT id FROM items WHERE house = ?1 AND"
      " keep_days = 0) AND at < ?2");
  SqliteStatement drop_rollups(
      db_,
      "DELETE FROM rollups WHERE item IN (SELECT id FROM items WHERE house = ?1 AND"
      " keep_days = 0) AND bucket < ?2");
  const int64_t cutoff = now_ms - static_cast<int64_t>(limits.keep_days) * kDayMs;
  for (SqliteStatement* drop : {&drop_samples, &drop_rollups}) {
    drop->BindAll(house_id_, cutoff);
    if (int rc = drop->Step(); rc != SQLITE_DONE) return Failure(rc, "cannot drop old history");
  }
  Status dropped =
      Exec(("DELETE FROM log_text WHERE rowid IN (SELECT log.id FROM log JOIN items ON"
            " items.id = log.item WHERE items.house = " +
            std::to_string(house_id_) + " AND log.at < " + std::to_string(cutoff) +
            ");"
            "DELETE FROM log WHERE at < " +
            std::to_string(cutoff) + " AND item IN (SELECT id FROM items WHERE house = " +
            std::to_string(house_id_) + ");" + kLowerIndexMark)
               .c_str());
  if (dropped.failed()) return dropped;
  // Items with days of their own.
  SqliteStatement own(db_, "SELECT id, keep_days FROM items WHERE house = ?1 AND keep_days > 0");
  own.Bind(1, house_id_);
  std::vector<std::pair<int64_t, int64_t>> items;
  while (own.Step() == SQLITE_ROW) items.emplace_back(own.Int(0), own.Int(1));
  SqliteStatement own_samples(db_, "DELETE FROM samples WHERE item = ?1 AND at < ?2");
  SqliteStatement own_rollups(db_, "DELETE FROM rollups WHERE item = ?1 AND bucket < ?2");
  for (auto [item, days] : items) {
    for (SqliteStatement* drop : {&own_samples, &own_rollups}) {
      drop->BindAll(item, now_ms - days * kDayMs);
      int rc = drop->Step();
      drop->Reset();
      if (rc != SQLITE_DONE) return Failure(rc, "cannot drop an item's old history");
    }
  }
  // Minute buckets are only drawn for short ranges; hours and days keep what is older.
  int64_t minute_from = FloorDay(now_ms - static_cast<int64_t>(limits.minute_days) * kDayMs);
  SqliteStatement minutes(
      db_,
      "DELETE FROM rollups WHERE level = 0 AND bucket < ?2 AND item IN (SELECT id FROM items"
      " WHERE house = ?1)");
  minutes.BindAll(house_id_, minute_from);
  if (int rc = minutes.Step(); rc != SQLITE_DONE) return Failure(rc, "cannot drop minute rollups");
  return SetMetaValue("minute_from", std::max(minute_from, MetaValue("minute_from", 0)));
}

Status HistoryStore::DropForSize(int64_t now_ms, const HistoryLimits& limits) {
  // Drop the oldest eighth of the kept span at a time until the store fits: the newest
  // history is what people look at.
  for (int round = 0; round < 64 && UsedBytes() > limits.max_bytes; ++round) {
    SqliteStatement oldest(
        db_,
        "SELECT min(m) FROM (SELECT min(at) AS m FROM samples UNION ALL SELECT min(at) FROM log"
        " UNION ALL SELECT min(bucket) FROM rollups)");
    if (oldest.Step() != SQLITE_ROW || oldest.IsNull(0)) break;
    int64_t from = oldest.Int(0);
    int64_t cut = from + std::max<int64_t>(1, (now_ms - from) / 8);
    std::string c = std::to_string(cut);
    Status dropped = InTransaction([&] {
      return Exec(("DELETE FROM samples WHERE at < " + c + "; DELETE FROM rollups WHERE bucket < " +
                   c + "; DELETE FROM log_text WHERE rowid IN (SELECT id FROM log WHERE at < " + c +
                   "); DELETE FROM log WHERE at < " + c + ";" + kLowerIndexMark)
                      .c_str());
    });
    if (dropped.failed()) return dropped;
    last_status_.clear();
    Exec("PRAGMA incremental_vacuum").Ignore("free pages are reused by later writes anyway");
  }
  return Status::Ok();
}

Status HistoryStore::Trim(int64_t now_ms, const HistoryLimits& limits) {
  const int64_t cutoff = FloorDay(now_ms - static_cast<int64_t>(limits.raw_days) * kDayMs);
  std::vector<std::pair<int64_t, ItemKind>> items;
  {
    SqliteStatement list(db_,
                         "SELECT id, kind FROM items WHERE house = ?1 AND kind != ?2 AND"
                         " EXISTS(SELECT 1 FROM samples WHERE item = items.id AND at < ?3)");
    list.BindAll(house_id_, ItemKind::kLogName, cutoff);
    while (list.Step() == SQLITE_ROW) {
      items.emplace_back(list.Int(0), static_cast<ItemKind>(list.Int(1)));
    }
  }
  // One transaction per item: a long roll-up never holds the other writers for long.
  for (auto [item, kind] : items) {
    Status rolled = InTransaction([&] { return RollUpItem(item, kind, cutoff); });
    if (rolled.failed()) return rolled;
  }
  last_status_.clear();
  Status dropped = InTransaction([&] { return DropOlder(now_ms, limits); });
  return dropped.ok() ? DropForSize(now_ms, limits) : dropped;
}

std::vector<StoredItem> HistoryStore::Items() {
  std::vector<StoredItem> items;
  SqliteStatement list(db_,
                       "SELECT id, kind, name, keep_days FROM items WHERE house = ?1 AND"
                       " kind != ?2 ORDER BY kind, name");
  list.BindAll(house_id_, ItemKind::kLogName);
  while (list.Step() == SQLITE_ROW) {
    items.push_back({list.Int(0), static_cast<ItemKind>(list.Int(1)), list.Text(2),
                     static_cast<int>(list.Int(3))});
  }
  return items;
}

std::vector<ItemUsage> HistoryStore::Usage() {
  std::vector<ItemUsage> usage;
  // Rough sizes of a row of each table, for ranking only: samples are small and fixed, a
  // rollup twice that, an entry its texts and a fixed part.
  SqliteStatement rows(db_,
                       "SELECT id, kind, name, keep_days,"
                       " (SELECT count(*) FROM samples WHERE item = items.id),"
                       " (SELECT count(*) FROM rollups WHERE item = items.id),"
                       " (SELECT count(*) FROM log WHERE item = items.id),"
                       " (SELECT coalesce(sum(length(message) + length(path)), 0) FROM log"
                       "  WHERE item = items.id)"
                       " FROM items WHERE house = ?1");
  rows.Bind(1, house_id_);
  while (rows.Step() == SQLITE_ROW) {
    ItemUsage one;
    one.item = {rows.Int(0), static_cast<ItemKind>(rows.Int(1)), rows.Text(2),
                static_cast<int>(rows.Int(3))};
    one.rows = rows.Int(4) + rows.Int(5) + rows.Int(6);
    one.bytes = rows.Int(4) * 24 + rows.Int(5) * 48 + rows.Int(6) * 64 + rows.Int(7) * 2;
    usage.push_back(std::move(one));
  }
  std::sort(usage.begin(), usage.end(),
            [](const ItemUsage& a, const ItemUsage& b) { return a.bytes > b.bytes; });
  return usage;
}

Status HistoryStore::SetItemKeepDays(int64_t item_id, int days) {
  if (days < 0) return Status::Failure(Where::kHistory, "days of history cannot be negative");
  SqliteStatement set(db_, "UPDATE items SET keep_days = ?2 WHERE id = ?1 AND house = ?3");
  set.BindAll(item_id, days, house_id_);
  int rc = set.Step();
  return rc == SQLITE_DONE ? Status::Ok() : Failure(rc, "cannot set the item's days");
}

std::vector<ItemPoint> HistoryStore::Points(int64_t item_id, int64_t from_ms, int64_t to_ms) {
  std::vector<ItemPoint> points;
  SqliteStatement read(db_,
                       "SELECT at, status, value FROM samples WHERE item = ?1 AND at >= ?2 AND"
                       " at < ?3 ORDER BY at");
  read.BindAll(item_id, from_ms, to_ms);
  while (read.Step() == SQLITE_ROW) {
    points.push_back({read.Int(0), static_cast<int32_t>(read.Int(1)), read.Real(2)});
  }
  return points;
}

Status HistoryStore::Reduce(int64_t item_id, int64_t now_ms, PixelReduction* out) {
  const auto& columns = out->columns();
  if (columns.empty()) return Status::Ok();
  int64_t from = out->ColumnStart(0);
  int64_t to = out->ColumnStart(static_cast<int>(columns.size()));
  SqliteStatement item(db_,
                       "SELECT kind, rolled_until, rolled_status FROM items WHERE id = ?1 AND"
                       " house = ?2");
  item.BindAll(item_id, house_id_);
  if (int rc = item.Step(); rc != SQLITE_ROW) {
    return rc == SQLITE_DONE ? Status(Where::kHistory, kNotFound, "no such item")
                             : Failure(rc, "cannot read the item");
  }
  const ItemKind kind = static_cast<ItemKind>(item.Int(0));
  const int64_t rolled_until = item.Int(1);
  std::optional<ItemPoint> rolled_state;
  if (!item.IsNull(2)) rolled_state = ItemPoint{rolled_until, static_cast<int32_t>(item.Int(2)), 0};

  // The rolled-up part: the coarsest level whose buckets are no wider than a column, minute
  // buckets only where they are still kept and hour buckets before that.
  if (from < rolled_until) {
    const int64_t column_ms = (to - from) / static_cast<int64_t>(columns.size());
    RollupLevel level = RollupLevel::kMinute;
    for (RollupLevel candidate : kRollupLevels) {
      if (LevelWidthMs(candidate) <= column_ms) level = candidate;
    }
    auto add_buckets = [&](RollupLevel at_level, int64_t start, int64_t end) -> Status {
      if (start >= end) return Status::Ok();
      SqliteStatement read(
          db_,
          "SELECT bucket, min, max, sum, count, on_ms FROM rollups WHERE item = ?1 AND"
          " level = ?2 AND bucket >= ?3 AND bucket < ?4 ORDER BY bucket");
      read.BindAll(item_id, at_level, start - LevelWidthMs(at_level) + 1, end);
      std::vector<RollupBucket> buckets;
      int rc;
      while ((rc = read.Step()) == SQLITE_ROW) {
        buckets.push_back({read.Int(0), LevelWidthMs(at_level), read.Real(1), read.Real(2),
                           read.Real(3), read.Int(4), read.Int(5)});
      }
      if (rc != SQLITE_DONE) return Failure(rc, "cannot read rollups");
      out->AddBuckets(buckets);
      return Status::Ok();
    };
    const int64_t rolled_end = std::min(to, rolled_until);
    if (level == RollupLevel::kMinute) {
      const int64_t minute_from = std::clamp(MetaValue("minute_from", 0), from, rolled_end);
      Status hours = add_buckets(RollupLevel::kHour, from, minute_from);
      if (hours.failed()) return hours;
      Status minutes = add_buckets(RollupLevel::kMinute, minute_from, rolled_end);
      if (minutes.failed()) return minutes;
    } else {
      Status buckets = add_buckets(level, from, rolled_end);
      if (buckets.failed()) return buckets;
    }
  }
  // The raw part, with the state it starts in.
  const int64_t raw_from = std::max(from, rolled_until);
  if (raw_from < to) {
    std::optional<ItemPoint> before;
    bool before_has_value = true;
    SqliteStatement last(db_,
                         "SELECT at, status, value FROM samples WHERE item = ?1 AND at < ?2"
                         " ORDER BY at DESC LIMIT 1");
    last.BindAll(item_id, raw_from);
    if (last.Step() == SQLITE_ROW) {
      before = ItemPoint{last.Int(0), static_cast<int32_t>(last.Int(1)), last.Real(2)};
    } else if (rolled_state && raw_from >= rolled_until) {
      before = rolled_state;
      before_has_value = false;  // rollups keep the state, not the last value
    }
    std::vector<ItemPoint> points = Points(item_id, raw_from, to);
    out->AddPoints(points, kind, raw_from, std::min(to, now_ms), before ? &*before : nullptr,
                   before_has_value);
  }
  return Status::Ok();
}

std::vector<StoredEvent> HistoryStore::Events(int64_t from_ms, int64_t to_ms,
                                              const std::vector<int64_t>& item_ids, size_t limit) {
  std::string ids;
  for (int64_t id : item_ids) ids += (ids.empty() ? "" : ",") + std::to_string(id);
  const std::string house = std::to_string(house_id_);
  std::string sample_filter = item_ids.empty() ? "i.house = " + house : "s.item IN (" + ids + ")";
  std::string log_filter =
      item_ids.empty() ? "i.house = " + house
                       : "i.house = " + house +
                             " AND i.name IN (SELECT name FROM items WHERE id IN (" + ids + "))";
  std::string sql =
      "SELECT * FROM (SELECT s.at, i.kind, i.name, s.status, s.value, 0, '', '', ''"
      " FROM samples s JOIN items i ON i.id = s.item WHERE " +
      sample_filter +
      " AND s.at >= ?1 AND s.at < ?2 UNION ALL SELECT" HV_ENTRY_COLUMNS
      "FROM log l JOIN items i ON i.id = l.item WHERE " +
      log_filter + " AND l.at >= ?1 AND l.at < ?2) ORDER BY 1 DESC LIMIT ?3";
  SqliteStatement read(db_, sql.c_str());
  read.BindAll(from_ms, to_ms, std::min<size_t>(limit, INT64_MAX));
  std::vector<StoredEvent> events;
  while (read.Step() == SQLITE_ROW) events.push_back(EventFromRow(read));
  return events;
}

std::vector<StoredEvent> HistoryStore::SearchLog(const std::string& words, size_t limit) {
  std::vector<StoredEvent> events;
  std::string query = WordIndexQuery(words);
  if (query.empty()) return events;
  // One statement, so the mark and both parts are read from one snapshot: an entry indexed
  // meanwhile is found once, and none is missed.
  SqliteStatement read(
      db_, "SELECT * FROM (SELECT" HV_ENTRY_COLUMNS
           "FROM log_text JOIN log l ON l.id = log_text.rowid JOIN items i ON i.id = l.item"
           " WHERE log_text MATCH ?1 AND i.house = ?2 AND l.id <= (SELECT value FROM meta"
           " WHERE key = ?5)"
           " UNION ALL SELECT" HV_ENTRY_COLUMNS
           "FROM log l JOIN items i ON i.id = l.item WHERE l.id > (SELECT value FROM meta"
           " WHERE key = ?5) AND i.house = ?2 AND hv_words(?4, i.name, l.message, l.path))"
           " ORDER BY 1 DESC LIMIT ?3");
  read.BindAll(query, house_id_, std::min<size_t>(limit, INT64_MAX), words, kIndexedTo);
  while (read.Step() == SQLITE_ROW) events.push_back(EventFromRow(read));
  return events;
}

void HistoryStore::SetBusyTimeoutForTest(int milliseconds) {
  sqlite3_busy_timeout(db_, milliseconds);
}

void HistoryStore::LimitPagesForTest(int64_t pages) {
  std::string sql = "PRAGMA max_page_count = " + std::to_string(pages > 0 ? pages : 4294967294LL);
  sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace hv::history
