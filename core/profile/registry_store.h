// swRegistryStore: the per-user registry, an SQLite database of keys and typed values.
//
// Keys keep their registry paths ("Software\Orvane LLC\Varnholt\Client Settings"): components
// separated by backslashes, none empty or holding a NUL byte, compared without regard to ASCII
// case. A key exists once it or a key below it has been created; writing a value creates its
// key and every key above it. Deleting a key deletes the keys below it and all their values,
// as a registry deletes a key tree. Every write is one transaction (waiting up to five seconds for
// another process's), so two running clients never lose each other's values; a swRegistryBatch
// makes a run of writes one transaction, so that they reach the disk together, or not at all.
//
// The file is created with mode 0600. A file that is not a store of ours, or whose pages are
// found corrupt, is renamed aside (".corrupt-<date>-<time>" appended) and replaced by an empty
// store, with a message on stderr: the registry then reads as defaults instead of failing.
#ifndef HV_CORE_PROFILE_REGISTRY_STORE_H_
#define HV_CORE_PROFILE_REGISTRY_STORE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/status.h"

struct sqlite3;
struct sqlite3_stmt;

namespace hv {

// Value types, numbered as the registry numbers them.
enum : uint32_t {
  kRegistryText = 1,    // bytes of the text, without the terminator
  kRegistryBytes = 3,   // any bytes
  kRegistryNumber = 4,  // 4 bytes, little-endian
};

struct swRegistryValue {
  std::string name;
  uint32_t type = kRegistryText;
  std::string data;

  // A number value's data.
  static std::string NumberData(uint32_t number);
  // The number of a 4-byte number value (any 4-byte data); false for other sizes.
  bool AsNumber(uint32_t* number) const;
};

// The codes of the store's statuses (where: kRegistry). No key and no value are not failures:
// what was asked for is not there.
enum : int32_t {
  kStoreOk = 0,
  kStoreNoKey = 1,    // the key does not exist
  kStoreNoValue = 2,  // the key exists, the value does not
  kStoreBadKey = -2,  // an empty path or component, or a NUL byte in a key or value name
  kStoreFailed = -1,  // the database refused (busy beyond the timeout, disk full, ...)
};

class swRegistryStore {
 public:
  // The store of this user: $XDG_CONFIG_HOME/hearthview/registry.db.
  static std::string DefaultPath();
  // Opens the store at `path` into *store, creating its folder and the file as needed. A
  // kStoreFailed status with the reason as its message, and *store null, when it cannot be
  // opened at all.
  [[nodiscard]] static hv::Status Open(const std::string& path,
                                       std::unique_ptr<swRegistryStore>* store);

  swRegistryStore(const swRegistryStore&) = delete;
  swRegistryStore& operator=(const swRegistryStore&) = delete;
  ~swRegistryStore();

  [[nodiscard]] hv::Status GetValue(const std::string& key, const std::string& name,
                                    swRegistryValue* value);
  [[nodiscard]] hv::Status SetValue(const std::string& key, const swRegistryValue& value);
  [[nodiscard]] hv::Status DeleteValue(const std::string& key, const std::string& name);
  [[nodiscard]] hv::Status CreateKey(const std::string& key);
  [[nodiscard]] hv::Status DeleteKey(const std::string& key);
  bool KeyExists(const std::string& key);
  // Names of the keys right below `key` ("" lists the top-level keys), in name order.
  [[nodiscard]] hv::Status ListSubkeys(const std::string& key, std::vector<std::string>* names);
  // Values of the key, in name order.
  [[nodiscard]] hv::Status ListValues(const std::string& key, std::vector<swRegistryValue>* values);
  // `key` and every key path below it (every key for ""), parents before children, in name
  // order.
  [[nodiscard]] hv::Status ListTree(const std::string& key, std::vector<std::string>* paths);

  // Groups several writes into one transaction (used by imports): Begin, writes, then Commit
  // or Rollback. Writes outside such a group each commit on their own.
  [[nodiscard]] hv::Status Begin();
  [[nodiscard]] hv::Status Commit();
  void Rollback();

  const std::string& path() const { return path_; }
  // How long a write waits for another connection's lock (5 s unless a test shortens it).
  void SetBusyTimeoutForTest(int milliseconds);

 private:
  friend class swRegistryBatch;
  swRegistryStore(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  class Statement;

  [[nodiscard]] int Prepare();
  // Runs an operation; when it meets a corrupt database, moves the file aside, starts an
  // empty store and runs it once more.
  template <typename Operation>
  [[nodiscard]] int Guarded(Operation&& operation);
  int FindKey(const std::string& key, int64_t* id);
  [[nodiscard]] int MakeKey(const std::string& key, int64_t* id);
  // The key's id, found part by part from the root; a missing part is kStoreNoKey, or is
  // added when `create` is set.
  [[nodiscard]] int WalkKey(const std::string& key, bool create, int64_t* id);
  [[nodiscard]] int BeginWrite();
  [[nodiscard]] int EndWrite(int result);
  [[nodiscard]] int Check(int sqlite_result);
  bool Recover();
  // Finalises the kept statements and closes the connection.
  void CloseDatabase();
  // Runs a write; inside a batch that has failed it is refused, and a failure fails the batch.
  template <typename Operation>
  [[nodiscard]] int Write(Operation&& operation);
  void BeginBatch();
  [[nodiscard]] int EndBatch();

  sqlite3* db_;
  std::string path_;
  // Statements prepared once per connection, by their text: parsing the SQL again for every
  // read and write cost more than running it. A Statement takes its one out while it runs, so
  // a nested use of the same text prepares one of its own.
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
  bool in_group_ = false;
  bool corrupt_ = false;
  int batch_depth_ = 0;
  bool batch_owns_group_ = false;  // the outermost batch began the transaction
  bool batch_failed_ = false;
  bool batch_blocked_ = false;  // the batch's transaction could not begin
};

// Makes the store's writes from its construction to its end one transaction: they are
// committed together when the outermost batch ends, and a failed write rolls back the
// whole batch. A batch opened inside another (or inside Begin) folds into it. When the
// transaction cannot begin (another process holds the store beyond the timeout), the batch
// has failed: its writes are refused at once rather than each waiting out the timeout again,
// and the values keep what they were.
//
// The batch holds the store's write lock, so other programs wait for it: open one around a
// straight run of writes, never around a dialog or anything else that waits for the user.
class swRegistryBatch {
 public:
  explicit swRegistryBatch(swRegistryStore* store);  // a null store makes an empty batch
  ~swRegistryBatch();
  swRegistryBatch(const swRegistryBatch&) = delete;
  swRegistryBatch& operator=(const swRegistryBatch&) = delete;

  // Ends the batch now: ok, or kStoreFailed when its writes were refused and rolled back (an
  // inner batch reports the outer batch's state so far). Further calls give the first result.
  [[nodiscard]] hv::Status End();

 private:
  swRegistryStore* store_;
  bool ended_ = false;
  int result_ = kStoreOk;
};

// Splits a key path at its backslashes; false when it is empty or has an empty component, or a
// component with a NUL byte.
bool SplitRegistryKey(const std::string& key, std::vector<std::string>* parts);

}  // namespace hv

#endif  // HV_CORE_PROFILE_REGISTRY_STORE_H_
