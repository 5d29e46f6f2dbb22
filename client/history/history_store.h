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
//
// The store is a front over its parts, one concern each: the connection and its file
// (store_connection.h), the items table (store_items.h), the writes (batch_writer.h), the
// reads (store_reader.h, which the store is) and the trim (store_trimmer.h).
#ifndef HV_CLIENT_HISTORY_HISTORY_STORE_H_
#define HV_CLIENT_HISTORY_HISTORY_STORE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/history/batch_writer.h"
#include "client/history/history_records.h"
#include "client/history/pixel_columns.h"
#include "client/history/rollup.h"
#include "client/history/store_connection.h"
#include "client/history/store_items.h"
#include "client/history/store_reader.h"
#include "client/history/store_trimmer.h"
#include "client/history/store_types.h"
#include "core/status.h"

namespace hv::history {

// The reads (Points, Reduce, Events, SearchLog...) are the reader's own (store_reader.h).
class HistoryStore : public StoreReader {
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

  // How long a write waits for another client's (five seconds unless a test says otherwise).
  void SetBusyTimeoutForTest(int milliseconds);
  // Caps the file at `pages` pages (0 lifts the cap): a full disk, for tests.
  void LimitPagesForTest(int64_t pages);

  // True when another client has moved the file aside since this connection opened it (it
  // was found damaged): a reader opens the store again to see the new one.
  bool Moved() const { return connection_->FileMoved(); }

  const std::string& path() const { return connection_->path(); }
  const std::string& house_key() const { return connection_->house_key(); }

 private:
  explicit HistoryStore(std::unique_ptr<StoreConnection> connection);

  // The parts work through the one connection, which outlives them. The reader, a base, is
  // made from the connection before the pointer moves here (the object stays where it is),
  // and does nothing when it ends.
  std::unique_ptr<StoreConnection> connection_;
  StoreItems items_;
  BatchWriter writer_;
  StoreTrimmer trimmer_;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_HISTORY_STORE_H_
