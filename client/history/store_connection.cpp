#include "client/history/store_connection.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "client/history/log_words.h"
#include "client/history/server_log_time.h"
#include "client/history/sqlite_statement.h"
#include "client/history/store_rows.h"
#include "core/profile/store_file.h"
#include "core/profile/user_folders.h"

namespace hv::history {

namespace {

constexpr int32_t kApplicationId = 0x48564853;  // "HVHS": marks the file as ours
constexpr int kBusyTimeoutMs = 5000;
constexpr int kReaderBusyTimeoutMs = 50;

const char kSchema[] =
    "CREATE TABLE houses(id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE);"
    "CREATE TABLE items(id INTEGER PRIMARY KEY, house INTEGER NOT NULL, kind INTEGER NOT NULL,"
    " name TEXT NOT NULL, keep_days INTEGER NOT NULL DEFAULT 0,"
    " rolled_until INTEGER NOT NULL DEFAULT 0, rolled_status INTEGER, rolled_value REAL,"
    " dropped_until INTEGER NOT NULL DEFAULT 0, UNIQUE(house, kind, name));"
    // The key is the whole row: no second index. `seq` keeps the order of arrival among the
    // samples of one item in one millisecond; a NULL value is none.
    "CREATE TABLE samples(item INTEGER NOT NULL, at INTEGER NOT NULL, seq INTEGER NOT NULL,"
    " status INTEGER NOT NULL, value REAL, PRIMARY KEY(item, at, seq)) WITHOUT ROWID;"
    "CREATE TABLE rollups(item INTEGER NOT NULL, level INTEGER NOT NULL,"
    " bucket INTEGER NOT NULL, min REAL NOT NULL, max REAL NOT NULL, sum REAL NOT NULL,"
    " count INTEGER NOT NULL, on_ms INTEGER NOT NULL, known_ms INTEGER NOT NULL DEFAULT 0,"
    " value_ms INTEGER NOT NULL DEFAULT 0, end_status INTEGER, end_value REAL,"
    " PRIMARY KEY(item, level, bucket)) WITHOUT ROWID;"
    // `at` is the server's date and time of an entry (its arrival for the client's own, and
    // for one whose date cannot be read); `arrived` when the client received it.
    "CREATE TABLE log(id INTEGER PRIMARY KEY, item INTEGER NOT NULL, at INTEGER NOT NULL,"
    " type INTEGER NOT NULL, message TEXT NOT NULL, path TEXT NOT NULL,"
    " function INTEGER NOT NULL, value REAL NOT NULL, extra INTEGER NOT NULL,"
    " date TEXT NOT NULL, time TEXT NOT NULL, detail1 INTEGER NOT NULL,"
    " detail2 INTEGER NOT NULL, fingerprint INTEGER UNIQUE, arrived INTEGER);"
    "CREATE INDEX log_at ON log(at);"
    "CREATE INDEX log_item ON log(item, at);"
    "CREATE VIRTUAL TABLE log_text USING fts5(name, message, path);"
    "INSERT INTO log_text(log_text, rank) VALUES('hashsize', 262144);"  // see Prepare
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID;"
    "INSERT INTO meta(key, value) VALUES('log_indexed_to', 0);"
    "INSERT INTO meta(key, value) VALUES('schema', 3);";

// A store of the first layout: samples without their order of arrival and values that could
// not be none, rollups without known time or end state, entries without arrival. Taken over in
// one transaction; old buckets count as known all through (they were drawn so).
const char kMigrateToSchema2[] =
    "ALTER TABLE items ADD COLUMN rolled_value REAL;"
    "ALTER TABLE items ADD COLUMN dropped_until INTEGER NOT NULL DEFAULT 0;"
    "CREATE TABLE samples2(item INTEGER NOT NULL, at INTEGER NOT NULL, seq INTEGER NOT NULL,"
    " status INTEGER NOT NULL, value REAL, PRIMARY KEY(item, at, seq)) WITHOUT ROWID;"
    "INSERT INTO samples2 SELECT item, at, row_number() OVER (PARTITION BY item, at"
    " ORDER BY status, value) - 1, status, value FROM samples;"
    "DROP TABLE samples;"
    "ALTER TABLE samples2 RENAME TO samples;"
    "ALTER TABLE rollups ADD COLUMN known_ms INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE rollups ADD COLUMN value_ms INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE rollups ADD COLUMN end_status INTEGER;"
    "ALTER TABLE rollups ADD COLUMN end_value REAL;"
    "UPDATE rollups SET known_ms = CASE level WHEN 0 THEN 60000 WHEN 1 THEN 3600000"
    " ELSE 86400000 END;"
    "ALTER TABLE log ADD COLUMN arrived INTEGER;"
    "INSERT OR REPLACE INTO meta(key, value) VALUES('schema', 2);";

// Entries stored at their arrival: the arrival is kept as such, and each entry moves to the
// server's date and time (hv_server_time, ServerLogTime) where its texts can be read.
const char kMigrateToSchema3[] =
    "UPDATE log SET arrived = at, at = hv_server_time(date, time, at) WHERE arrived IS NULL;"
    "INSERT OR REPLACE INTO meta(key, value) VALUES('schema', 3);";

void ServerTimeFunction(sqlite3_context* context, int, sqlite3_value** args) {
  auto text = [&](int i) {
    const auto* bytes = sqlite3_value_text(args[i]);
    return std::string_view(bytes == nullptr ? "" : reinterpret_cast<const char*>(bytes),
                            static_cast<size_t>(sqlite3_value_bytes(args[i])));
  };
  sqlite3_result_int64(context, ServerLogTime(text(0), text(1), sqlite3_value_int64(args[2])));
}

// Not deterministic: the answer follows the local time zone.
bool AddServerTimeFunction(sqlite3* db) {
  return sqlite3_create_function_v2(db, "hv_server_time", 3, SQLITE_UTF8 | SQLITE_DIRECTONLY,
                                    nullptr, ServerTimeFunction, nullptr, nullptr,
                                    nullptr) == SQLITE_OK;
}

// Activity entries are stored first and taken into the word index later, in the writer's idle
// time, so a whole log arriving at once is stored at the pace of its rows, not of its words.
// The index holds every entry up to this id (in the meta table, for all houses: ids are the
// log table's). A store made before entries were indexed later has them all in its index.
const char kMarkOldStoreIndexed[] =
    "INSERT OR IGNORE INTO meta(key, value) SELECT 'log_indexed_to', coalesce(max(id), 0)"
    " FROM log";
bool IsCorruption(int rc) {
  rc &= 0xFF;
  return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

bool IsFull(int rc) { return (rc & 0xFF) == SQLITE_FULL; }
bool IsIoError(int rc) { return (rc & 0xFF) == SQLITE_IOERR; }

sqlite3* OpenDatabase(const std::string& path, bool read_only = false) {
  sqlite3* db = nullptr;
  int flags = read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  if (path.empty()) flags |= SQLITE_OPEN_MEMORY;
  if (sqlite3_open_v2(path.empty() ? ":memory:" : path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  if (!AddWordsFunction(db) || !AddServerTimeFunction(db)) {
    sqlite3_close_v2(db);
    return nullptr;
  }
  if (read_only) {
    // A reader leaves the WAL to the writers: closing it never checkpoints, so it never
    // deletes a journal by name that may be a newer store's by then.
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    // A reader in WAL never waits for a writer; it only waits while another client opens or
    // mends the file, and then briefly, so the window says it is waiting instead of freezing.
    sqlite3_busy_timeout(db, kReaderBusyTimeoutMs);
    sqlite3_exec(db, "PRAGMA cache_size=-4096; PRAGMA temp_store=MEMORY", nullptr, nullptr,
                 nullptr);
    return db;
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

}  // namespace

StoreConnection::StoreConnection(sqlite3* db, std::string path, std::string house_key)
    : db_(db), path_(std::move(path)), house_key_(std::move(house_key)) {}

StoreConnection::~StoreConnection() {
  if (read_only_ || path_.empty()) {
    CloseDatabase(false);
    return;
  }
  SharedStoreHold hold(&lock_);
  CloseDatabase(FileMoved());
}

void StoreConnection::CloseDatabase(bool keep_journal) {
  kept_ = KeptStatements();
  if (db_ == nullptr) return;
  if (keep_journal) {
    int persist = 1;
    sqlite3_file_control(db_, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
  }
  sqlite3_close_v2(db_);
  db_ = nullptr;
}

Status StoreConnection::OpenFile() {
  if (!PreparePrivateFile(path_) || (db_ = OpenDatabase(path_)) == nullptr) {
    return Status::Failure(Where::kHistory, "cannot create " + path_);
  }
  NoteFile();
  return Status::Ok();
}

void StoreConnection::NoteFile() {
  struct stat info {};
  if (::stat(path_.c_str(), &info) == 0) {
    file_device_ = static_cast<uint64_t>(info.st_dev);
    file_inode_ = static_cast<uint64_t>(info.st_ino);
  }
}

bool StoreConnection::FileMoved() const {
  if (path_.empty() || db_ == nullptr) return false;
  struct stat info {};
  return ::stat(path_.c_str(), &info) != 0 || static_cast<uint64_t>(info.st_dev) != file_device_ ||
         static_cast<uint64_t>(info.st_ino) != file_inode_;
}

Status StoreConnection::FollowMovedFile() {
  if (read_only_ || !FileMoved()) return Status::Ok();
  std::fprintf(stderr,
               "hearthview: the history store %s was moved aside by another client; "
               "recording goes on in the new one\n",
               path_.c_str());
  CloseDatabase(true);
  ForgetRows();
  Status opened = OpenFile();
  return opened.ok() ? Prepare() : opened;
}

SqliteStatement& StoreConnection::Kept(std::unique_ptr<SqliteStatement> KeptStatements::*slot,
                                       const char* sql) {
  // One that could not be prepared (the file was busy or damaged) is tried again.
  std::unique_ptr<SqliteStatement>& kept = kept_.*slot;
  if (kept == nullptr || !kept->ok()) kept = std::make_unique<SqliteStatement>(db_, sql);
  return *kept;
}

void StoreConnection::ForgetRows() {
  if (forget_rows_) forget_rows_();
}

std::unique_ptr<StoreConnection> StoreConnection::Open(const std::string& path,
                                                       const std::string& house_key,
                                                       Status* status) {
  auto fail = [&](std::string why) {
    if (status != nullptr) *status = Status::Failure(Where::kHistory, std::move(why));
    return nullptr;
  };
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) {
    return fail("cannot create the folder of " + path);
  }
  std::unique_ptr<StoreConnection> store(new StoreConnection(nullptr, path, house_key));
  store->lock_.Open(path);
  // Held from the first look at the file: no other client moves it aside meanwhile.
  SharedStoreHold hold(&store->lock_);
  if (store->OpenFile().failed()) return fail("cannot open " + path);
  Status prepared = store->Prepare();
  if (prepared.failed()) {
    if (status != nullptr) *status = prepared;
    return nullptr;
  }
  if (status != nullptr) *status = Status::Ok();
  return store;
}

std::unique_ptr<StoreConnection> StoreConnection::OpenForReading(const std::string& path,
                                                                 const std::string& house_key,
                                                                 Status* status) {
  auto waiting = [&]() -> std::unique_ptr<StoreConnection> {
    if (status != nullptr) *status = Status(Where::kHistory, kDeclined, kWaitingForStore);
    return nullptr;
  };
  struct stat info {};
  // No file yet: the writer has not made it; nothing is lost by waiting for it.
  if (::stat(path.c_str(), &info) != 0) return waiting();
  sqlite3* db = OpenDatabase(path, true);
  if (db == nullptr) return waiting();
  std::unique_ptr<StoreConnection> store(new StoreConnection(db, path, house_key));
  store->read_only_ = true;
  store->NoteFile();
  Status prepared = store->PrepareReader();
  if (prepared.failed() || prepared.declined()) {
    if (status != nullptr) *status = prepared;
    return nullptr;
  }
  if (status != nullptr) *status = Status::Ok();
  return store;
}

Status StoreConnection::PrepareReader() {
  SqliteStatement look(db_,
                       "SELECT (SELECT application_id FROM pragma_application_id),"
                       " (SELECT value FROM meta WHERE key = 'schema'),"
                       " (SELECT id FROM houses WHERE key = ?1)");
  look.BindText(1, house_key_);
  const int rc = look.Step();
  // Busy: another client is making or mending the file. A file of the older layout waits for
  // the writer to take it over; a house not recorded yet has nothing to read so far.
  if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED || (rc & 0xFF) == SQLITE_ERROR) {
    return Status(Where::kHistory, kDeclined, kWaitingForStore);
  }
  if (rc != SQLITE_ROW) return Failure(rc, "cannot read the history store");
  if (look.Int(0) != kApplicationId) return Failure(SQLITE_NOTADB, "not a history store");
  if (look.IsNull(1) || look.Int(1) < 2 || look.IsNull(2)) {
    return Status(Where::kHistory, kDeclined, kWaitingForStore);
  }
  house_id_ = look.Int(2);
  return Status::Ok();
}

std::unique_ptr<StoreConnection> StoreConnection::OpenInMemory(const std::string& house_key) {
  sqlite3* db = OpenDatabase("");
  if (db == nullptr) return nullptr;
  std::unique_ptr<StoreConnection> store(new StoreConnection(db, "", house_key));
  if (store->Prepare().failed()) return nullptr;
  return store;
}

Status StoreConnection::Failure(int rc, const char* what) {
  if (IsFull(rc)) return Status(Where::kHistory, kHistoryDiskFull, what);
  if (IsIoError(rc)) {
    return Status(Where::kHistory, kHistoryIoError,
                  std::string(what) + ": the disk reported an input/output error (" +
                      sqlite3_errstr(rc) + ")");
  }
  if (IsCorruption(rc)) return Status(Where::kHistory, kHistoryCorrupt, what);
  if ((rc & 0xFF) == SQLITE_BUSY) return Status(Where::kHistory, kTimedOut, what);
  return Status::Failure(Where::kHistory,
                         std::string(what) + ": " + (db_ != nullptr ? sqlite3_errmsg(db_) : ""));
}

Status StoreConnection::InTransaction(const std::function<Status()>& body) {
  SharedStoreHold hold(&lock_);
  Status followed = FollowMovedFile();
  if (followed.failed()) return followed;
  Status begun = Exec("BEGIN IMMEDIATE");
  if (begun.failed()) return begun;
  Status done = body();
  if (done.ok()) done = Exec("COMMIT");
  if (done.failed()) Exec("ROLLBACK").Ignore("the transaction's own failure is returned");
  return done;
}

Status StoreConnection::Exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? Status::Ok() : Failure(rc, sql);
}

// Makes sure the file holds our tables (creating them in a fresh file) and this house's row.
// A file that is not ours, or that cannot be read, is moved aside and a new store started.
Status StoreConnection::Prepare() {
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
  Status migrated = Migrate();
  if (migrated.failed()) return migrated;
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

Status StoreConnection::Migrate() {
  auto schema = [&]() -> int64_t {
    SqliteStatement read(db_, "SELECT value FROM meta WHERE key = 'schema'");
    return read.Step() == SQLITE_ROW ? read.Int(0) : 1;
  };
  if (schema() >= 3) return Status::Ok();
  return InTransaction([&] {
    // Another client may have taken it over while this one waited for the lock.
    Status migrated = schema() >= 2 ? Status::Ok() : Exec(kMigrateToSchema2);
    return migrated.failed() || schema() >= 3 ? migrated : Exec(kMigrateToSchema3);
  });
}

Status StoreConnection::StartAfresh(std::string* aside) {
  if (path_.empty()) return Status::Failure(Where::kHistory, "a store in memory cannot be renewed");
  Status recovered = Recover(aside);
  if (recovered.failed()) return recovered;
  return Prepare();
}

// No other client writes while the file is moved and the new one made: each checks, under
// the shared lock, that its file is still the store before it writes. The file is kept whole
// with its WAL for whoever wants to look into it.
Status StoreConnection::Recover(std::string* aside) {
  aside->clear();
  if (!lock_.LockExclusive(kBusyTimeoutMs)) {
    return Status(Where::kHistory, kTimedOut,
                  "cannot move aside the unreadable " + path_ + ": another client is writing");
  }
  // Closing may checkpoint and delete the WAL by name: still this file's own while it is not
  // moved (and only when no other client has it open), another store's once it is.
  const bool moved_already = FileMoved();
  CloseDatabase(moved_already);
  ForgetRows();
  if (!moved_already && !MoveStoreAside(path_, aside)) {
    lock_.UnlockExclusive();
    return Status::Failure(Where::kHistory, "cannot move aside the unreadable " + path_);
  }
  if (!moved_already) {
    std::fprintf(stderr,
                 "hearthview: the history store %s could not be read; it was moved to %s and a "
                 "new store was started\n",
                 path_.c_str(), aside->c_str());
  }
  Status opened = OpenFile();
  lock_.UnlockExclusive();
  return opened;
}

int64_t StoreConnection::UsedBytes() {
  SqliteStatement pages(db_,
                        "SELECT (SELECT page_count FROM pragma_page_count) -"
                        " (SELECT freelist_count FROM pragma_freelist_count),"
                        " (SELECT page_size FROM pragma_page_size)");
  if (pages.Step() != SQLITE_ROW) return 0;
  return pages.Int(0) * pages.Int(1);
}

int64_t StoreConnection::MetaValue(const char* key, int64_t fallback) {
  SqliteStatement read(db_, "SELECT value FROM meta WHERE key = ?1");
  read.BindText(1, std::string(key) + ":" + std::to_string(house_id_));
  return read.Step() == SQLITE_ROW ? read.Int(0) : fallback;
}

Status StoreConnection::SetMetaValue(const char* key, int64_t value) {
  SqliteStatement write(db_, "INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)");
  write.BindAll(std::string(key) + ":" + std::to_string(house_id_), value);
  int rc = write.Step();
  return rc == SQLITE_DONE ? Status::Ok() : Failure(rc, "cannot note the rollups");
}

void StoreConnection::SetBusyTimeoutForTest(int milliseconds) {
  sqlite3_busy_timeout(db_, milliseconds);
}

void StoreConnection::LimitPagesForTest(int64_t pages) {
  std::string sql = "PRAGMA max_page_count = " + std::to_string(pages > 0 ? pages : 4294967294LL);
  sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace hv::history
