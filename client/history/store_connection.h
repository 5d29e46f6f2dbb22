// StoreConnection: one SQLite connection to the history file and what keeps it sound: the
// tables made or taken over from an older layout, the house's row, the lock shared with the
// other clients, the file moved aside when found damaged (and followed when another client
// moved it), and transactions that wait for another client's.
//
// The other parts of the store (its items, writes, reads and trim) work through it; it knows
// nothing of their rows beyond the statements it keeps prepared for them.
#ifndef HV_CLIENT_HISTORY_STORE_CONNECTION_H_
#define HV_CLIENT_HISTORY_STORE_CONNECTION_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "client/history/store_lock.h"
#include "core/status.h"

struct sqlite3;

namespace hv::history {

class SqliteStatement;

// The statements the insert and roll-up paths prepare once and keep for the next batches,
// until the connection closes.
struct KeptStatements {
  std::unique_ptr<SqliteStatement> sample_insert, log_insert, seen_first, seen_again, item_add,
      item_find, last_sample, bucket_merge, bucket_before;
};

class StoreConnection {
 public:
  // See HistoryStore::Open, OpenForReading and OpenInMemory.
  static std::unique_ptr<StoreConnection> Open(const std::string& path,
                                               const std::string& house_key, Status* status);
  static std::unique_ptr<StoreConnection> OpenForReading(const std::string& path,
                                                         const std::string& house_key,
                                                         Status* status);
  static std::unique_ptr<StoreConnection> OpenInMemory(const std::string& house_key);

  StoreConnection(const StoreConnection&) = delete;
  StoreConnection& operator=(const StoreConnection&) = delete;
  ~StoreConnection();

  // Called whenever the connection opens a new file in place of the old one: what was learnt
  // of the old file's rows no longer holds.
  void OnReopen(std::function<void()> forget) { forget_rows_ = std::move(forget); }

  // Moves the file aside (its name in `aside`) and starts a new store for the same house.
  Status StartAfresh(std::string* aside);
  // True when path_ no longer names the file this connection has open.
  bool FileMoved() const;
  // Reopens at path_ when another client moved the store aside: called under the shared lock
  // before every write.
  Status FollowMovedFile();

  // Runs `body` as one transaction that waits for another client's (BEGIN IMMEDIATE): kept
  // when it succeeds, rolled back whole when it fails.
  Status InTransaction(const std::function<Status()>& body);
  Status Exec(const char* sql);
  // The status of SQLite's `rc`: disk full, input/output error, corrupt, timed out or failed.
  Status Failure(int rc, const char* what);
  // A statement prepared once and kept for the next batches.
  SqliteStatement& Kept(std::unique_ptr<SqliteStatement> KeptStatements::*slot, const char* sql);

  // A number kept per house in the meta table.
  int64_t MetaValue(const char* key, int64_t fallback);
  Status SetMetaValue(const char* key, int64_t value);
  // Bytes the store's pages hold (free pages not counted).
  int64_t UsedBytes();

  void SetBusyTimeoutForTest(int milliseconds);
  void LimitPagesForTest(int64_t pages);

  sqlite3* db() const { return db_; }
  StoreLock& lock() { return lock_; }
  bool read_only() const { return read_only_; }
  int64_t house_id() const { return house_id_; }
  const std::string& path() const { return path_; }
  const std::string& house_key() const { return house_key_; }

 private:
  StoreConnection(sqlite3* db, std::string path, std::string house_key);
  Status Prepare();
  Status PrepareReader();
  Status Migrate();
  // Moves the file aside and opens a new one in its place, under the exclusive lock; `aside`
  // stays empty when another client had moved it already.
  Status Recover(std::string* aside);
  // Opens the file at path_ and notes which file it is.
  Status OpenFile();
  void NoteFile();
  // Closes the connection; with `keep_journal` its WAL is never deleted by name (the name may
  // be the new store's by now).
  void CloseDatabase(bool keep_journal);
  void ForgetRows();

  sqlite3* db_;
  bool read_only_ = false;
  StoreLock lock_;
  uint64_t file_device_ = 0;  // the file this connection has open
  uint64_t file_inode_ = 0;
  std::string path_;  // empty for a store in memory
  std::string house_key_;
  int64_t house_id_ = 0;
  KeptStatements kept_;
  std::function<void()> forget_rows_;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_STORE_CONNECTION_H_
