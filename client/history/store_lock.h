// StoreLock: the lock file beside a history store ("history.db-lock") that lets one client
// move a damaged store aside while others have it open. Every write of every client holds it
// shared, and checks first that the store's name still names the file it has open (following
// a store moved aside to the new one); moving aside and starting the new store hold it
// exclusively. So no client writes into a file that was moved aside, and none closes a moved
// file in a way that deletes the new store's journal by name.
//
// Locks are flock(2) locks: per open file, so two stores in one process exclude each other as
// two processes do, and a killed client's lock goes with it.
#ifndef HV_CLIENT_HISTORY_STORE_LOCK_H_
#define HV_CLIENT_HISTORY_STORE_LOCK_H_

#include <string>

namespace hv::history {

class StoreLock {
 public:
  StoreLock() = default;
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  // Opens (making it when missing) the lock file of the store at `store_path`. Without one
  // (a folder that takes no file) every lock is granted at once: there is nothing to share.
  void Open(const std::string& store_path);

  // Shared holds nest: the lock is released when the outermost one ends.
  void LockShared();
  void UnlockShared();
  // Waits up to `timeout_ms` for every other client's shared hold to end; false when one
  // did not. Taken from within a shared hold of this object's, it ends by giving that back.
  bool LockExclusive(int timeout_ms);
  void UnlockExclusive();

 private:
  int fd_ = -1;
  int shared_depth_ = 0;
};

// Holds a store's lock shared for a scope.
class SharedStoreHold {
 public:
  explicit SharedStoreHold(StoreLock* lock) : lock_(lock) { lock_->LockShared(); }
  ~SharedStoreHold() { lock_->UnlockShared(); }
  SharedStoreHold(const SharedStoreHold&) = delete;
  SharedStoreHold& operator=(const SharedStoreHold&) = delete;

 private:
  StoreLock* lock_;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_STORE_LOCK_H_
