#include "core/profile/registry_store.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "core/profile/store_file.h"
#include "core/profile/user_folders.h"

namespace hv {

namespace {

hv::Status StoreStatus(int code) { return hv::Status(hv::Where::kRegistry, code); }

// Marks the file as ours, so that a foreign database is never mistaken for a store.
constexpr int32_t kApplicationId = 0x48565247;  // "HVRG"
constexpr int kBusyTimeoutMs = 5000;
constexpr int kCorrupt = -100;  // Prepare: the file is not a readable store of ours

const char kSchema[] =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL,"
    " name TEXT NOT NULL COLLATE NOCASE, UNIQUE(parent, name));"
    "CREATE TABLE vals(key INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, name)) WITHOUT ROWID;";

bool IsCorruption(int rc) {
  rc &= 0xFF;
  return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

// A connection, or null and the reason SQLite gave.
struct OpenedDatabase {
  sqlite3* db = nullptr;
  hv::Status status;
};

OpenedDatabase OpenDatabase(const std::string& path) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    std::string why = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    return {nullptr, hv::Status(hv::Where::kRegistry, kStoreFailed, std::move(why))};
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  // Write-ahead logging with normal syncing: a commit no longer waits for two full disk
  // syncs (closing the main window writes dozens of values), an application crash still
  // loses nothing committed, and a power cut can at worst lose the last commits, never
  // corrupt the store. A file that is not a database refuses this, and Prepare reports it.
  sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  return {db, hv::Status::Ok()};
}

}  // namespace

// A prepared statement, taken from the store's kept ones or prepared for the store to keep;
// on its end it is reset and handed back. Results are checked by the caller.
class swRegistryStore::Statement {
 public:
  Statement(swRegistryStore* store, const char* sql) : store_(store), sql_(sql) {
    auto kept = store_->statements_.find(sql_);
    if (kept != store_->statements_.end() && kept->second != nullptr) {
      stmt_ = kept->second;
      kept->second = nullptr;
      return;
    }
    // A statement that cannot be prepared is null; stepping it then fails, and the caller
    // checks that.
    (void)store_->Check(
        sqlite3_prepare_v3(store_->db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr));
  }
  ~Statement() {
    if (stmt_ == nullptr) return;
    // Resetting ends the statement's read; a failed step's error was reported by Step.
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    sqlite3_stmt*& slot = store_->statements_[sql_];
    if (slot == nullptr) {
      slot = stmt_;
    } else {
      sqlite3_finalize(stmt_);
    }
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  void Bind(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
  void BindText(int index, const std::string& text) {
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  void BindBlob(int index, const std::string& bytes) {
    sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  }
  // SQLITE_ROW, SQLITE_DONE or an error.
  int Step() { return stmt_ != nullptr ? store_->Check(sqlite3_step(stmt_)) : SQLITE_ERROR; }
  int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
  std::string Bytes(int column) {
    const void* data = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return data != nullptr ? std::string(static_cast<const char*>(data), size) : std::string();
  }

 private:
  swRegistryStore* store_;
  std::string sql_;
  sqlite3_stmt* stmt_ = nullptr;
};

std::string swRegistryValue::NumberData(uint32_t number) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>(number >> (8 * i));
  return data;
}

bool swRegistryValue::AsNumber(uint32_t* number) const {
  if (data.size() != 4) return false;
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= static_cast<uint32_t>(static_cast<uint8_t>(data[i])) << (8 * i);
  *number = n;
  return true;
}

bool SplitRegistryKey(const std::string& key, std::vector<std::string>* parts) {
  parts->clear();
  if (key.empty()) return false;
  size_t start = 0;
  for (;;) {
    size_t end = key.find('\\', start);
    std::string part = key.substr(start, end == std::string::npos ? end : end - start);
    // Names are compared as C strings: "a\0x" and "a\0y" would be one key.
    if (part.empty() || part.find('\0') != std::string::npos) return false;
    parts->push_back(part);
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

std::string swRegistryStore::DefaultPath() { return ConfigHome() + "/hearthview/registry.db"; }

hv::Status swRegistryStore::Open(const std::string& path,
                                 std::unique_ptr<swRegistryStore>* opened) {
  opened->reset();
  auto failure = [](std::string why) {
    return hv::Status(hv::Where::kRegistry, kStoreFailed, std::move(why));
  };
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) {
    return failure("cannot create the folder of " + path);
  }
  if (!PreparePrivateFile(path)) return failure("cannot create " + path);
  OpenedDatabase database = OpenDatabase(path);
  if (database.db == nullptr) return database.status;
  std::unique_ptr<swRegistryStore> store(new swRegistryStore(database.db, path));
  int rc = store->Prepare();
  if (rc == kCorrupt) {
    if (!store->Recover()) return failure("cannot replace the unreadable store " + path);
  } else if (rc != kStoreOk) {
    return failure(sqlite3_errmsg(store->db_));
  }
  *opened = std::move(store);
  return hv::Status::Ok();
}

swRegistryStore::~swRegistryStore() {
  // A batch still open here was never ended: what it wrote is not known to be whole.
  if (in_group_) Rollback();
  CloseDatabase();
}

void swRegistryStore::CloseDatabase() {
  for (auto& kept : statements_) sqlite3_finalize(kept.second);
  statements_.clear();
  sqlite3_close_v2(db_);
  db_ = nullptr;
}

int swRegistryStore::Check(int sqlite_result) {
  if (IsCorruption(sqlite_result)) corrupt_ = true;
  return sqlite_result;
}

// Makes sure the file holds our tables: creates them in a fresh file, accepts our own, and
// reports anything else (a corrupt file, another program's database) as kCorrupt.
int swRegistryStore::Prepare() {
  for (int attempt = 0; attempt < 2; ++attempt) {
    int64_t id = 0;
    int64_t tables = 0;
    {
      // One statement reads both from one snapshot: read one after the other, another
      // process creating the tables in between made a fresh store look like a foreign
      // database (no mark yet, tables already there), and it was moved aside with its values.
      Statement look(this,
                     "SELECT (SELECT application_id FROM pragma_application_id),"
                     " (SELECT count(*) FROM sqlite_master)");
      int rc = look.Step();
      if (rc != SQLITE_ROW) return corrupt_ ? kCorrupt : kStoreFailed;
      id = look.Int(0);
      tables = look.Int(1);
    }
    if (id == kApplicationId) return kStoreOk;
    if (id != 0 || tables != 0) return kCorrupt;
    if (attempt == 1) break;
    // Fresh file: create the tables, unless another process did so while we waited.
    if (Check(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr)) != SQLITE_OK) {
      return corrupt_ ? kCorrupt : kStoreFailed;
    }
    Statement recheck(this, "PRAGMA application_id");
    if (recheck.Step() == SQLITE_ROW && recheck.Int(0) == 0) {
      std::string sql =
          std::string(kSchema) + "PRAGMA application_id = " + std::to_string(kApplicationId) + ";";
      if (Check(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr)) != SQLITE_OK) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return corrupt_ ? kCorrupt : kStoreFailed;
      }
    }
    if (Check(sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr)) != SQLITE_OK) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      return kStoreFailed;
    }
  }
  return kStoreOk;
}

bool swRegistryStore::Recover() {
  CloseDatabase();
  std::string aside;
  if (!MoveStoreAside(path_, &aside)) return false;
  // Every program that opens the store (the client, hvreg) may be the one to find it
  // damaged; the notice names the program the user ran.
  std::fprintf(stderr,
               "%s: the registry store %s could not be read; it was moved to %s and "
               "an empty store was started\n",
               program_invocation_short_name, path_.c_str(), aside.c_str());
  corrupt_ = false;
  if (!PreparePrivateFile(path_)) return false;
  db_ = OpenDatabase(path_).db;  // a failure here is reported as the recovery's
  if (db_ == nullptr) return false;
  return Prepare() == kStoreOk;
}

template <typename Operation>
int swRegistryStore::Guarded(Operation&& operation) {
  if (db_ == nullptr) return kStoreFailed;
  corrupt_ = false;
  int result = operation();
  if (!corrupt_) return result;
  // Inside a group the earlier writes would be lost with the file; the caller rolls back.
  if (in_group_ || !Recover()) return kStoreFailed;
  result = operation();
  return corrupt_ ? kStoreFailed : result;
}

template <typename Operation>
int swRegistryStore::Write(Operation&& operation) {
  // A failed write inside the batch's transaction dooms it: what follows would be rolled back.
  // So does a transaction that could not begin: each write would wait out the busy timeout
  // again, and a save of twenty values held the window for minutes.
  if (batch_depth_ > 0 && batch_failed_ && (in_group_ || batch_blocked_)) return kStoreFailed;
  int result = Guarded(std::forward<Operation>(operation));
  if (batch_depth_ > 0 && result == kStoreFailed) batch_failed_ = true;
  return result;
}

int swRegistryStore::FindKey(const std::string& key, int64_t* id) {
  return WalkKey(key, false, id);
}

int swRegistryStore::MakeKey(const std::string& key, int64_t* id) { return WalkKey(key, true, id); }

int swRegistryStore::WalkKey(const std::string& key, bool create, int64_t* id) {
  std::vector<std::string> parts;
  if (!SplitRegistryKey(key, &parts)) return kStoreBadKey;
  int64_t parent = 0;
  for (const std::string& part : parts) {
    Statement find(this, "SELECT id FROM keys WHERE parent = ?1 AND name = ?2");
    find.Bind(1, parent);
    find.BindText(2, part);
    int rc = find.Step();
    if (rc == SQLITE_ROW) {
      parent = find.Int(0);
      continue;
    }
    if (rc != SQLITE_DONE) return kStoreFailed;
    if (!create) return kStoreNoKey;
    Statement insert(this, "INSERT INTO keys(parent, name) VALUES(?1, ?2)");
    insert.Bind(1, parent);
    insert.BindText(2, part);
    if (insert.Step() != SQLITE_DONE) return kStoreFailed;
    parent = sqlite3_last_insert_rowid(db_);
  }
  *id = parent;
  return kStoreOk;
}

int swRegistryStore::BeginWrite() {
  if (in_group_) return kStoreOk;
  return Check(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr)) == SQLITE_OK
             ? kStoreOk
             : kStoreFailed;
}

int swRegistryStore::EndWrite(int result) {
  if (in_group_) return result;
  if (result == kStoreFailed || result == kStoreBadKey) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return result;
  }
  if (Check(sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr)) != SQLITE_OK) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return kStoreFailed;
  }
  return result;
}

hv::Status swRegistryStore::GetValue(const std::string& key, const std::string& name,
                                     swRegistryValue* value) {
  return StoreStatus(Guarded([&]() {
    int64_t id = 0;
    int rc = FindKey(key, &id);
    if (rc != kStoreOk) return rc;
    Statement get(this, "SELECT name, type, data FROM vals WHERE key = ?1 AND name = ?2");
    get.Bind(1, id);
    get.BindText(2, name);
    int step = get.Step();
    if (step == SQLITE_DONE) return static_cast<int>(kStoreNoValue);
    if (step != SQLITE_ROW) return static_cast<int>(kStoreFailed);
    value->name = get.Bytes(0);
    value->type = static_cast<uint32_t>(get.Int(1));
    value->data = get.Bytes(2);
    return static_cast<int>(kStoreOk);
  }));
}

hv::Status swRegistryStore::SetValue(const std::string& key, const swRegistryValue& value) {
  // A value name is compared as a C string too, so one with a NUL byte would overwrite another.
  if (value.name.find('\0') != std::string::npos) return StoreStatus(kStoreBadKey);
  return StoreStatus(Write([&]() {
    if (BeginWrite() != kStoreOk) return static_cast<int>(kStoreFailed);
    int64_t id = 0;
    int rc = MakeKey(key, &id);
    if (rc == kStoreOk) {
      Statement set(this,
                    "INSERT INTO vals(key, name, type, data) VALUES(?1, ?2, ?3, ?4)"
                    " ON CONFLICT(key, name) DO UPDATE SET type = excluded.type,"
                    " data = excluded.data");
      set.Bind(1, id);
      set.BindText(2, value.name);
      set.Bind(3, value.type);
      set.BindBlob(4, value.data);
      if (set.Step() != SQLITE_DONE) rc = kStoreFailed;
    }
    return EndWrite(rc);
  }));
}

hv::Status swRegistryStore::DeleteValue(const std::string& key, const std::string& name) {
  return StoreStatus(Write([&]() {
    if (BeginWrite() != kStoreOk) return static_cast<int>(kStoreFailed);
    int64_t id = 0;
    int rc = FindKey(key, &id);
    if (rc == kStoreOk) {
      Statement erase(this, "DELETE FROM vals WHERE key = ?1 AND name = ?2");
      erase.Bind(1, id);
      erase.BindText(2, name);
      if (erase.Step() != SQLITE_DONE) {
        rc = kStoreFailed;
      } else if (sqlite3_changes(db_) == 0) {
        rc = kStoreNoValue;
      }
    }
    return EndWrite(rc);
  }));
}

hv::Status swRegistryStore::CreateKey(const std::string& key) {
  return StoreStatus(Write([&]() {
    if (BeginWrite() != kStoreOk) return static_cast<int>(kStoreFailed);
    int64_t id = 0;
    return EndWrite(MakeKey(key, &id));
  }));
}

hv::Status swRegistryStore::DeleteKey(const std::string& key) {
  return StoreStatus(Write([&]() {
    if (BeginWrite() != kStoreOk) return static_cast<int>(kStoreFailed);
    int64_t id = 0;
    int rc = FindKey(key, &id);
    if (rc == kStoreOk) {
      const char* tree =
          "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL"
          " SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) ";
      Statement values(this, (std::string(tree) + "DELETE FROM vals WHERE key IN tree").c_str());
      values.Bind(1, id);
      Statement keys(this, (std::string(tree) + "DELETE FROM keys WHERE id IN tree").c_str());
      keys.Bind(1, id);
      if (values.Step() != SQLITE_DONE || keys.Step() != SQLITE_DONE) rc = kStoreFailed;
    }
    return EndWrite(rc);
  }));
}

bool swRegistryStore::KeyExists(const std::string& key) {
  return Guarded([&]() {
           int64_t id = 0;
           return FindKey(key, &id);
         }) == kStoreOk;
}

hv::Status swRegistryStore::ListSubkeys(const std::string& key, std::vector<std::string>* names) {
  return StoreStatus(Guarded([&]() {
    names->clear();
    int64_t id = 0;
    if (!key.empty()) {
      int rc = FindKey(key, &id);
      if (rc != kStoreOk) return rc;
    }
    Statement list(this, "SELECT name FROM keys WHERE parent = ?1 ORDER BY name");
    list.Bind(1, id);
    int rc;
    while ((rc = list.Step()) == SQLITE_ROW) names->push_back(list.Bytes(0));
    return rc == SQLITE_DONE ? static_cast<int>(kStoreOk) : static_cast<int>(kStoreFailed);
  }));
}

hv::Status swRegistryStore::ListValues(const std::string& key,
                                       std::vector<swRegistryValue>* values) {
  return StoreStatus(Guarded([&]() {
    values->clear();
    int64_t id = 0;
    int rc = FindKey(key, &id);
    if (rc != kStoreOk) return rc;
    Statement list(this, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY name");
    list.Bind(1, id);
    while ((rc = list.Step()) == SQLITE_ROW) {
      swRegistryValue value;
      value.name = list.Bytes(0);
      value.type = static_cast<uint32_t>(list.Int(1));
      value.data = list.Bytes(2);
      values->push_back(std::move(value));
    }
    return rc == SQLITE_DONE ? static_cast<int>(kStoreOk) : static_cast<int>(kStoreFailed);
  }));
}

hv::Status swRegistryStore::ListTree(const std::string& key, std::vector<std::string>* paths) {
  paths->clear();
  std::vector<std::string> pending;  // depth first, so parents come before their children
  if (key.empty()) {
    std::vector<std::string> top;
    const hv::Status listed = ListSubkeys("", &top);
    if (!listed.ok()) return listed;
    pending.assign(top.rbegin(), top.rend());
  } else {
    if (!KeyExists(key)) return StoreStatus(kStoreNoKey);
    pending.push_back(key);
  }
  while (!pending.empty()) {
    std::string path = pending.back();
    pending.pop_back();
    paths->push_back(path);
    std::vector<std::string> children;
    const hv::Status listed = ListSubkeys(path, &children);
    if (!listed.ok()) return listed;
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
      pending.push_back(path + "\\" + *child);
    }
  }
  return hv::Status::Ok();
}

hv::Status swRegistryStore::Begin() {
  if (in_group_ || db_ == nullptr) return StoreStatus(kStoreFailed);
  if (BeginWrite() != kStoreOk) return StoreStatus(kStoreFailed);
  in_group_ = true;
  return hv::Status::Ok();
}

hv::Status swRegistryStore::Commit() {
  if (!in_group_) return StoreStatus(kStoreFailed);
  in_group_ = false;
  return StoreStatus(EndWrite(kStoreOk));
}

void swRegistryStore::Rollback() {
  if (!in_group_) return;
  in_group_ = false;
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void swRegistryStore::SetBusyTimeoutForTest(int milliseconds) {
  sqlite3_busy_timeout(db_, milliseconds);
}

void swRegistryStore::BeginBatch() {
  if (batch_depth_++ > 0) return;
  batch_failed_ = false;
  batch_blocked_ = false;
  batch_owns_group_ = false;
  // Inside an explicit group the batch is part of it; the group's owner commits.
  if (in_group_ || db_ == nullptr) return;
  if (BeginWrite() == kStoreOk) {
    in_group_ = true;
    batch_owns_group_ = true;
  } else {
    batch_failed_ = true;
    batch_blocked_ = true;
  }
}

int swRegistryStore::EndBatch() {
  if (batch_depth_ == 0) return kStoreFailed;
  if (--batch_depth_ > 0) return batch_failed_ ? kStoreFailed : kStoreOk;
  const bool failed = batch_failed_;
  batch_failed_ = false;
  batch_blocked_ = false;
  if (!batch_owns_group_) return failed ? kStoreFailed : kStoreOk;
  batch_owns_group_ = false;
  if (failed) {
    Rollback();
    return kStoreFailed;
  }
  return Commit().code();
}

swRegistryBatch::swRegistryBatch(swRegistryStore* store) : store_(store) {
  if (store_ != nullptr) store_->BeginBatch();
}

swRegistryBatch::~swRegistryBatch() {
  End().Ignore("a failed batch has rolled its writes back; a caller that must know calls End");
}

hv::Status swRegistryBatch::End() {
  if (!ended_) {
    ended_ = true;
    if (store_ != nullptr) result_ = store_->EndBatch();
  }
  return StoreStatus(result_);
}

}  // namespace hv
