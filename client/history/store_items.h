// StoreItems: the items table of the history store. Items are stored once by kind and name
// and referred to by a small id; their ids and last stored states are remembered between
// batches, so a batch of unchanged samples reads nothing back.
#ifndef HV_CLIENT_HISTORY_STORE_ITEMS_H_
#define HV_CLIENT_HISTORY_STORE_ITEMS_H_

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "client/history/history_records.h"
#include "client/history/rollup.h"
#include "client/history/store_types.h"
#include "core/status.h"

namespace hv::history {

class StoreConnection;

class StoreItems {
 public:
  explicit StoreItems(StoreConnection& connection);
  StoreItems(const StoreItems&) = delete;
  StoreItems& operator=(const StoreItems&) = delete;

  // The items of this house, by kind and name (activity entries' names left out).
  std::vector<StoredItem> List();
  // Every item of this house with its rows and their rough size, the largest first.
  std::vector<ItemUsage> Usage();
  // Days of history kept for this item; 0 returns it to the store's own setting.
  Status SetKeepDays(int64_t item_id, int days);

  // The item's id, adding it when it is new.
  Status Id(ItemKind kind, const std::string& name, int64_t* id);
  // An item's newest stored row: its stamp, place among the rows of that millisecond, state.
  struct StoredLast {
    int64_t at_ms = 0;
    int64_t seq = -1;
    int32_t status = kNotReceiving;
    double value = 0.0;
    bool known = false;  // false: the item has no state stored at all
  };
  Status LastRow(int64_t item_id, StoredLast* last);
  // The item's newest state: false when nothing is known of it.
  bool LastPoint(int64_t item_id, ItemPoint* point);
  // Stores a sample unless it equals the item's last stored state.
  Status InsertSample(int64_t item_id, int64_t at_ms, int32_t status, double value);

  // What a transaction that rolled back added is gone: ids and last states learnt in it may
  // be wrong. The roll-up forgets the last states of the rows it rolled.
  void Forget();
  void ForgetLastRows() { last_status_.clear(); }
  void ForgetLastRow(int64_t item_id) { last_status_.erase(item_id); }

 private:
  StoreConnection& connection_;
  std::map<std::pair<int32_t, std::string>, int64_t> item_ids_;
  std::map<int64_t, StoredLast> last_status_;
  ItemKind last_item_kind_ = ItemKind::kSwitch;  // the item met last, and its id (0: none)
  std::string last_item_name_;
  int64_t last_item_id_ = 0;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_STORE_ITEMS_H_
