// The registry store as the profile routines reach it: one connection kept open for the
// program's life instead of one opened per value, and swProfileBatch, which makes a run of
// profile writes one transaction.
//
// Keeping the connection open costs the other programs nothing: every read outside a batch
// sees what they committed, and every write outside a batch is still its own transaction.
// The connection is opened again when the file at the store's path is no longer the one it
// has open ($XDG_CONFIG_HOME changed, the file was moved aside as unreadable, or removed).
#ifndef HV_CORE_PROFILE_PROFILE_STORE_H_
#define HV_CORE_PROFILE_PROFILE_STORE_H_

#include <memory>

#include "core/profile/registry_store.h"
#include "core/status.h"

namespace hv {

// The store for one profile call: the shared connection, or, when that cannot be had (the
// program is past its static destruction), a connection of the lease's own.
class swProfileStoreLease {
 public:
  swProfileStoreLease();
  swProfileStoreLease(const swProfileStoreLease&) = delete;
  swProfileStoreLease& operator=(const swProfileStoreLease&) = delete;

  // Null when the store cannot be opened at all; why() then says what stopped it.
  swRegistryStore* get() const { return store_; }
  const Status& why() const { return why_; }

 private:
  std::unique_ptr<swRegistryStore> own_;
  swRegistryStore* store_ = nullptr;
  Status why_;
};

// Makes the profile writes from its construction to its end one transaction of the registry
// store (see swRegistryBatch): they reach the disk together, or, when one fails, none of them
// does. Batches nest, the outermost one commits. Open one around a straight run of writes,
// never around anything that waits for the user: other programs wait for it.
class swProfileBatch {
 public:
  swProfileBatch();
  ~swProfileBatch();
  swProfileBatch(const swProfileBatch&) = delete;
  swProfileBatch& operator=(const swProfileBatch&) = delete;

  // Ends the batch now: ok, or the store's failure when its writes were refused and rolled
  // back.
  [[nodiscard]] Status End();

 private:
  std::unique_ptr<swRegistryBatch> batch_;
  bool pinned_ = false;
};

}  // namespace hv

#endif  // HV_CORE_PROFILE_PROFILE_STORE_H_
