#include "core/profile/profile_store.h"
#include "core/system_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace hv {

namespace {

// The one open connection of this thread, with a descriptor of the file it was opened on:
// holding the descriptor keeps that file's inode from being reused, so comparing it with the
// file now at the path tells reliably whether the connection still serves the store.
class cSharedStore {
 public:
  ~cSharedStore() {
    Close();
    gone_ = true;
  }

  // The connection for the store at `path`, opened or reopened as needed; null when the store
  // cannot be opened, with *why saying what stopped it.
  swRegistryStore* Get(const std::string& path, Status* why = nullptr) {
    if (pins_ > 0) return store_.get();  // a batch keeps its connection to the end
    if (store_ != nullptr && (path != path_ || !SameFile(path))) Close();
    if (store_ == nullptr) {
      Status opened = Open(path);
      if (why != nullptr) *why = std::move(opened);
    }
    return store_.get();
  }

  void Pin() { ++pins_; }
  void Unpin() {
    if (pins_ > 0) --pins_;
  }

  static bool Gone() { return gone_; }

 private:
  bool SameFile(const std::string& path) const {
    struct stat now;
    struct stat held;
    return stat(path.c_str(), &now) == 0 && fstat(fd_, &held) == 0 && now.st_dev == held.st_dev &&
           now.st_ino == held.st_ino;
  }

  Status Open(const std::string& path) {
    // The first opening creates the file (or moves an unreadable one aside); the file is held
    // before the connection is opened on it, so that a file replaced in between can only make
    // the two differ, which the next call notices, never look alike.
    std::unique_ptr<swRegistryStore> probe;
    if (Status opened = swRegistryStore::Open(path, &probe); !opened.ok()) return opened;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd_ < 0) {
      return SystemError(Where::kRegistry, "cannot open " + path, errno, kStoreFailed);
    }
    if (Status opened = swRegistryStore::Open(path, &store_); !opened.ok()) {
      Close();
      return opened;
    }
    path_ = path;
    return Status::Ok();
  }

  void Close() {
    store_.reset();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_.clear();
  }

  std::unique_ptr<swRegistryStore> store_;
  std::string path_;
  int fd_ = -1;
  int pins_ = 0;
  static thread_local bool gone_;
};

thread_local bool cSharedStore::gone_ = false;

// Null once the thread's shared connection has been destroyed (profile calls made by other
// objects' destructors at the very end), so that those open a connection of their own.
cSharedStore* Shared() {
  if (cSharedStore::Gone()) return nullptr;
  static thread_local cSharedStore shared;
  return &shared;
}

}  // namespace

swProfileStoreLease::swProfileStoreLease() {
  const std::string path = swRegistryStore::DefaultPath();
  if (cSharedStore* shared = Shared()) {
    store_ = shared->Get(path, &why_);
    return;
  }
  // Without a store every read delivers its default and every write reports failure.
  why_ = swRegistryStore::Open(path, &own_);
  store_ = own_.get();
}

swProfileBatch::swProfileBatch() {
  cSharedStore* shared = Shared();
  if (shared == nullptr) return;  // each write then commits on its own
  swRegistryStore* store = shared->Get(swRegistryStore::DefaultPath());
  if (store == nullptr) return;
  shared->Pin();
  pinned_ = true;
  batch_ = std::make_unique<swRegistryBatch>(store);
}

swProfileBatch::~swProfileBatch() {
  End().Ignore("a failed batch has rolled its writes back; a caller that must know calls End");
}

hv::Status swProfileBatch::End() {
  hv::Status result;
  if (batch_ != nullptr) result = batch_->End();
  if (pinned_) {
    pinned_ = false;
    if (cSharedStore* shared = Shared()) shared->Unpin();
  }
  return result;
}

}  // namespace hv
