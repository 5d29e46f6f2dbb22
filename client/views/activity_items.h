// CActivityItem and CActivityItemList: the activity entries the application keeps (Log item
// answers, "Server Not Responding", X10 codes sent), so a log view can be refilled and sorted
// from them at any time.
//
// The list owns its items, oldest first. Log view rows refer to items by pointer, so an item
// is never freed behind their back: the forget hook runs for each item just before it is
// freed, and the rows drop their references then.
#ifndef HV_CLIENT_VIEWS_ACTIVITY_ITEMS_H_
#define HV_CLIENT_VIEWS_ACTIVITY_ITEMS_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "client/protocol/log_item_record.h"

class CActivityItem {
 public:
  CActivityItem(const LogItemRecord& entry, int16_t show_flag)
      : entry_(entry), show_flag_(show_flag) {}

  // The entry's fields; the date and time texts are always filled (stamped when made).
  const LogItemRecord& Entry() const { return entry_; }
  int16_t ShowFlag() const { return show_flag_; }

 private:
  LogItemRecord entry_;
  int16_t show_flag_;
};

class CActivityItemList {
 public:
  using ForgetHook = std::function<void(const CActivityItem*)>;

  CActivityItemList() = default;
  CActivityItemList(const CActivityItemList&) = delete;
  CActivityItemList& operator=(const CActivityItemList&) = delete;
  ~CActivityItemList();

  // Called with each item just before it is freed (RemoveOldest, Clear, destruction).
  void SetForgetHook(ForgetHook hook) { forget_ = std::move(hook); }

  // Takes ownership; returns the stored item.
  CActivityItem* Append(std::unique_ptr<CActivityItem> item);
  // Frees the oldest item; false when the list is empty.
  bool RemoveOldest();
  // Frees every item, oldest first.
  void Clear();

  size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  // 0 is the oldest. Null when out of range.
  CActivityItem* At(size_t index) const;

 private:
  std::deque<std::unique_ptr<CActivityItem>> items_;
  ForgetHook forget_;
};

#endif  // HV_CLIENT_VIEWS_ACTIVITY_ITEMS_H_
