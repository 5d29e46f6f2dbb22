// HistoryStore: the house's history in an SQLite file, $XDG_STATE_HOME/hearthview/history.db.
//
// One file holds every house the user connects to, each under its own key (the server's
// address and port), so two houses never mix. Items are stored once by kind and name and
// referred to by a small id, so a status sample costs tens of bytes. Raw samples are kept for
// the recent past; what is older is rolled up per minute, hour and day (see rollup.h) and
// read back seamlessly with the raw part (Reduce).
//
// A store object is one connection and is used from one thread at a time: the writer thread
// owns the one that writes, the History window opens its own to read. Every write is one
// transaction that waits up to five seconds for another process's, so two running clients
// share the file safely; WAL lets readers go on while one writes. The file is created with
// mode 0600. A file that is not a store of ours, or whose pages are found corrupt, is moved
// aside as "history.db.corrupt-<date>-<time>" and a new store started, as the registry does;
// the other clients' connections follow to the new store (see store_lock.h).
#ifndef HV_CLIENT_HISTORY_HISTORY_STORE_H_
#define HV_CLIENT_HISTORY_HISTORY_STORE_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "client/history/history_records.h"
#include "client/history/pixel_columns.h"
#include "client/history/rollup.h"
#include "client/history/store_lock.h"
#include "core/status.h"

struct sqlite3;

namespace hv::history {

class SqliteStatement;

// The disk (or the file's size cap) has no room left: recording stops until there is.
constexpr int32_t kHistoryDiskFull = Code(0x80070070);
// The disk reported an input/output error (a failing disk, a removed drive).
constexpr int32_t kHistoryIoError = Code(0x8007045D);
// The message of the declined status of a reader that cannot read yet (another client is
// making or mending the file, or has not recorded the house): try again shortly.
constexpr char kWaitingForStore[] = "waiting for the store";
// The file's pages were found corrupt, or it is no database at all: StartAfresh mends it.
constexpr int32_t kHistoryCorrupt = Code(0x8007000D);

struct HistoryLimits {
  int keep_days = 365;                      // "Keep History"
  int64_t max_bytes = 200LL * 1024 * 1024;  // the size limit
  int raw_days = 7;                         // raw samples; older ones are rolled up
  int minute_days = 31;                     // minute buckets; hours and days are kept longer
};

struct StoredItem {
  int64_t id = 0;
  ItemKind kind = ItemKind::kSwitch;
  std::string name;
  int keep_days = 0;  // 0: the store's own "Keep History"
  // Nothing before this moment is kept any more (the keep days or the size limit dropped it):
  // a chart shows no value there, not "nothing happened".
  int64_t kept_from_ms = 0;
  // Rows from here on are kept raw (exact); before it, rolled up per minute, hour and day.
  int64_t raw_from_ms = 0;
};

struct ItemUsage {
  StoredItem item;
  int64_t rows = 0;
  int64_t bytes = 0;  // an estimate from its rows, for ranking
};

// One row of the events table: a status sample or an activity entry.
struct StoredEvent {
  int64_t at_ms = 0;
  ItemKind kind = ItemKind::kSwitch;  // kLogName for an activity entry
  std::string name;
  int32_t code = 0;  // status, or the entry's function code
  double value = 0.0;
  int32_t entry_type = 0;
  std::string message;
  std::string date_text;
  std::string time_text;
};

// A stored rollup bucket of an item, for an export of the rolled-up past.
struct StoredBucket {
  ItemKind kind = ItemKind::kSwitch;
  std::string name;
  RollupBucket bucket;
};

class HistoryStore {
 public:
  // $XDG_STATE_HOME/hearthview/history.db (default ~/.local/state).
  static std::string DefaultPath();
  // Opens (creating as needed) the store at `path` for the house `house_key`. Null with the
  // reason in `status` when it cannot be opened at all.
  static std::unique_ptr<HistoryStore> Open(const std::string& path, const std::string& house_key,
                                            Status* status);
  // A connection that only reads, for the History window: it never waits on another client's
  // write (WAL readers), and opening it never blocks for more than a moment. Declined, with
  // kWaitingForStore, while the file is missing, being made or mended by a writer, of the
  // older layout the writer has not taken over yet, or without this house: try again later.
  static std::unique_ptr<HistoryStore> OpenForReading(const std::string& path,
                                                      const std::string& house_key, Status* status);
  // A store that lives in memory only, for tests and benchmarks.
  static std::unique_ptr<HistoryStore> OpenInMemory(const std::string& house_key);

  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;
  ~HistoryStore();

  // Writes the batch as one transaction. Samples equal to the item's last stored status and
  // value add nothing (a reconnect lists every item again), nor do activity entries already
  // stored (a reconnect sends the log again). kHistoryDiskFull when there is no room, and
  // kTimedOut when another client held the store too long; nothing of the batch is then kept.
  //
  // Identical server entries of one session (the second "Door opened" in the same second)
  // are numbered in the order they come, so that the log sent again after a reconnect
  // matches entry for entry; the numbers start again with a batch marked new_session. They
  // are counted in a temporary table on disk, not in memory: a session may bring millions.
  Status Write(const HistoryBatch& batch);

  // Takes up to `max_rows` stored activity entries into the word index, as one transaction;
  // `more` says whether entries are still waiting. Write stores entries without indexing
  // them, so a whole log is stored at once and its words follow in the writer's idle time.
  Status IndexLog(size_t max_rows, bool* more);

  // Moves the file found corrupt while in use aside (its name in `aside`), as an unreadable
  // file is at open, and starts a new store in its place for the same house.
  Status StartAfresh(std::string* aside);

  // Rolls up raw samples older than the raw window, drops what is older than "Keep History"
  // (or an item's own days) and, while the store is larger than the size limit, the oldest
  // rows. Runs in short transactions so readers and the other writers are not held up long.
  Status Trim(int64_t now_ms, const HistoryLimits& limits);

  // Marks every item of the house whose state is known as not received from `at_ms` (or its
  // newest row, when later) on: the client ends, lost the server, or was killed (then with
  // ReceivingUntil, at the next start). Charts show that time as a gap.
  Status MarkNotReceiving(int64_t at_ms);
  // Up to when a batch said the client was receiving (HistoryBatch::receiving_ms); 0: never.
  int64_t ReceivingUntil();
  // At a start: the time since the last batch of a client that ended without saying so (it
  // was killed, or the computer lost power) is marked as not received.
  Status MarkGapSinceLastRun();
  // How far into the writer's queue file `queue_id` the stored batches reach (0: not at all).
  int64_t QueueDone(int64_t queue_id);

  // Bytes the store's pages hold (free pages not counted).
  int64_t UsedBytes();

  // The items of this house, by kind and name.
  std::vector<StoredItem> Items();
  std::vector<ItemUsage> Usage();
  // Days of history kept for this item; 0 returns it to the store's own setting.
  Status SetItemKeepDays(int64_t item_id, int days);

  // The item's newest state: its last raw sample, or the state its rollups ended in. False
  // when nothing is known of it.
  bool LastPoint(int64_t item_id, ItemPoint* point);
  // The raw samples of an item in [from_ms, to_ms), in the order they came (a mark of
  // kNotReceiving where the client stopped receiving; a NaN value where there is none).
  std::vector<ItemPoint> Points(int64_t item_id, int64_t from_ms, int64_t to_ms);
  // Reduces an item over [from_ms, to_ms) to `out`'s columns from raw samples and rollups,
  // picking the rollup level from the column width. `now_ms` ends the last sample's on-time.
  Status Reduce(int64_t item_id, int64_t now_ms, PixelReduction* out);
  // Events of [from_ms, to_ms) for the given items (all when empty), with the activity entries
  // that name one of them (all when empty), newest first, at most `limit`.
  std::vector<StoredEvent> Events(int64_t from_ms, int64_t to_ms,
                                  const std::vector<int64_t>& item_ids, size_t limit);
  // How many events Events would give for the range without a limit (an export says how many
  // rows it will write before it writes them).
  Status CountEvents(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                     int64_t* count);
  // The same events oldest first, one at a time, without holding them all: `take` returns
  // false to stop.
  Status ForEachEvent(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                      const std::function<bool(const StoredEvent&)>& take);
  // The stored buckets of `level` that start in [from_ms, to_ms) in the rolled-up past of
  // the given items (all when empty), oldest first and by name; buckets in which nothing
  // changed are not stored (the state before holds through them). The raw part of each item
  // is left out: Events gives it.
  Status ForEachRolledBucket(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                             RollupLevel level,
                             const std::function<bool(const StoredBucket&)>& take);
  Status CountRolledBuckets(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                            RollupLevel level, int64_t* count);
  // Activity entries of the whole store whose name, message or path has all the words (a word
  // also matches as the start of a longer one), the newest stored first, at most `limit`:
  // from the word index and, for entries it has not taken in yet, by reading them. Stops at
  // the limit however many entries match.
  std::vector<StoredEvent> SearchLog(const std::string& words, size_t limit);

  // How long a write waits for another client's (five seconds unless a test says otherwise).
  void SetBusyTimeoutForTest(int milliseconds);
  // Caps the file at `pages` pages (0 lifts the cap): a full disk, for tests.
  void LimitPagesForTest(int64_t pages);

  // True when another client has moved the file aside since this connection opened it (it
  // was found damaged): a reader opens the store again to see the new one.
  bool Moved() const { return FileMoved(); }

  const std::string& path() const { return path_; }
  const std::string& house_key() const { return house_key_; }

 private:
  HistoryStore(sqlite3* db, std::string path, std::string house_key);
  Status Prepare();
  Status PrepareReader();
  Status Migrate();
  // Moves the file aside and opens a new one in its place, under the exclusive lock; `aside`
  // stays empty when another client had moved it already.
  Status Recover(std::string* aside);
  // Opens the file at path_ and notes which file it is.
  Status OpenFile();
  void NoteFile();
  // True when path_ no longer names the file this connection has open.
  bool FileMoved() const;
  // Reopens at path_ when another client moved the store aside: called under the shared lock
  // before every write.
  Status FollowMovedFile();
  // Closes the connection; with `keep_journal` its WAL is never deleted by name (the name may
  // be the new store's by now).
  void CloseDatabase(bool keep_journal);
  Status Failure(int rc, const char* what);
  Status Exec(const char* sql);
  // Runs `body` as one transaction that waits for another client's (BEGIN IMMEDIATE): kept
  // when it succeeds, rolled back whole when it fails.
  Status InTransaction(const std::function<Status()>& body);
  // A statement prepared once and kept for the next batches (the insert path's).
  SqliteStatement& Kept(std::unique_ptr<SqliteStatement>& slot, const char* sql);
  void ForgetStatements();
  Status ItemId(ItemKind kind, const std::string& name, int64_t* id);
  // An item's newest stored row: its stamp, place among the rows of that millisecond, state.
  struct StoredLast {
    int64_t at_ms = 0;
    int64_t seq = -1;
    int32_t status = kNotReceiving;
    double value = 0.0;
    bool known = false;  // false: the item has no state stored at all
  };
  Status LastRow(int64_t item_id, StoredLast* last);
  Status InsertSample(int64_t item_id, int64_t at_ms, int32_t status, double value);
  void ForgetItems();
  Status WriteInTransaction(const HistoryBatch& batch);
  Status WriteSamples(const std::vector<StatusSample>& samples, size_t begin, size_t end);
  Status MarkAllNotReceiving(int64_t at_ms);
  Status WriteLog(const std::vector<LogRow>& rows);
  Status Occurrence(int64_t first_print, int32_t* occurrence);
  Status StoreBucket(int64_t item_id, RollupLevel level, const RollupBucket& bucket);
  // Rolls the item's raw rows before `cutoff_ms` up, from the state the last roll-up ended in.
  Status RollUpItem(int64_t item_id, ItemKind kind, int64_t cutoff_ms);
  // The state kept by the rollups at `at_ms` (a bucket boundary); none when none is known.
  std::optional<ItemPoint> RolledStateAt(int64_t item_id, int64_t at_ms);
  // Drops the item's history before a day's start, keeping the state it was in there.
  Status DropItemBefore(int64_t item_id, ItemKind kind, int64_t day_ms);
  Status DropLogBefore(int64_t day_ms);
  Status DropOlder(int64_t now_ms, const HistoryLimits& limits);
  int64_t HouseBytes();
  Status DropForSize(int64_t now_ms, const HistoryLimits& limits);
  // The newest moment this house's rows speak of (INT64_MIN when it has none).
  int64_t NewestRow();
  Status AddRolled(int64_t item_id, ItemKind kind, RollupLevel level, int64_t from_ms,
                   int64_t to_ms, PixelReduction* out);
  // The rolled buckets' query: `select` is the columns, the rest is shared with the count.
  std::string RolledBucketsSql(const char* select, const std::vector<int64_t>& item_ids) const;
  Status ReadEvents(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                    bool oldest_first, size_t limit,
                    const std::function<bool(const StoredEvent&)>& take);
  int64_t MetaValue(const char* key, int64_t fallback);
  Status SetMetaValue(const char* key, int64_t value);

  sqlite3* db_;
  bool read_only_ = false;
  StoreLock lock_;
  uint64_t file_device_ = 0;  // the file this connection has open
  uint64_t file_inode_ = 0;
  std::string path_;  // empty for a store in memory
  std::string house_key_;
  int64_t house_id_ = 0;
  // Ids and last stored (status, value) of items met so far; forgotten when a transaction
  // rolls back, since what it added is gone.
  std::map<std::pair<int32_t, std::string>, int64_t> item_ids_;
  std::map<int64_t, StoredLast> last_status_;
  ItemKind last_item_kind_ = ItemKind::kSwitch;  // the item met last, and its id (0: none)
  std::string last_item_name_;
  int64_t last_item_id_ = 0;
  // A new session began: its entries are counted afresh from the next committed write.
  bool session_reset_due_ = false;
  // The insert path's statements, prepared at first use and kept until the connection closes.
  struct KeptStatements {
    std::unique_ptr<SqliteStatement> sample_insert, log_insert, seen_first, seen_again, item_add,
        item_find, last_sample, bucket_merge, bucket_before;
  };
  KeptStatements kept_;
};

// The fingerprint that tells an activity entry from the server apart from every other (0 for
// entries the client made itself, which have no server date and are never sent again);
// `occurrence` numbers identical entries of one session from 0.
int64_t LogFingerprint(const std::string& house_key, const LogRow& row, int32_t occurrence);

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_HISTORY_STORE_H_
