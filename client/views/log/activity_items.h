// CActivityItem and CActivityItemList: the activity entries the application keeps (Log item
// answers, "Server Not Responding", X10 codes sent), so a log view can be refilled and sorted
// from them at any time.
//
// A full log holds a hundred thousand entries, each shown by every log view, so an item is
// one compact block (its numbers and its five texts together) that the stored list and the
// rows showing it share. Each holder takes a hold on it; the last one to let go frees it.
// The forget hook still runs for each item the list lets go of, just before it does.
#ifndef HV_CLIENT_VIEWS_LOG_ACTIVITY_ITEMS_H_
#define HV_CLIENT_VIEWS_LOG_ACTIVITY_ITEMS_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

#include "client/protocol/log_item_record.h"

namespace hv {

class CActivityItem {
 public:
  // A new item with one hold, the maker's; a show flag of 1 marks an entry the log views
  // show (any other value: not shown). Null when memory runs out.
  static CActivityItem* Make(const LogItemRecord& entry, int16_t show_flag);

  CActivityItem(const CActivityItem&) = delete;
  CActivityItem& operator=(const CActivityItem&) = delete;

  void Hold() const { ++holds_; }
  // Lets go of one hold; the item is freed with the last.
  void Release() const;

  // The entry's fields, rebuilt; the date and time texts are always filled (stamped when
  // made). Readers of one field use the accessors below, which copy nothing.
  LogItemRecord Entry() const;
  int32_t EntryType() const { return entry_type_; }
  int32_t FunctionCode() const { return function_code_; }
  double Value() const { return value_; }
  int32_t Extra() const { return extra_; }
  const char* Name() const { return Text(0); }
  const char* Message() const { return Text(1); }
  const char* Path() const { return Text(2); }
  const char* DateText() const { return Text(3); }
  const char* TimeText() const { return Text(4); }
  // 1 for an entry the log views show, else 0.
  int16_t ShowFlag() const { return shown_ ? 1 : 0; }

 private:
  CActivityItem(const LogItemRecord& entry, int16_t show_flag);
  ~CActivityItem() = default;
  // The texts follow the item in its block, each ended by a zero byte.
  const char* Text(int index) const;

  double value_;
  int32_t entry_type_;
  int32_t function_code_;
  int32_t extra_;
  int32_t detail1_;
  int32_t detail2_;
  // The hold count and the show flag share a word: with them apart, the item would not fit
  // the 32 bytes that keep a hundred thousand of them in the smaller allocation size.
  mutable uint32_t holds_ : 31 = 1;
  uint32_t shown_ : 1 = 0;
};

class CActivityItemList {
 public:
  using ForgetHook = std::function<void(const CActivityItem*)>;

  CActivityItemList() = default;
  CActivityItemList(const CActivityItemList&) = delete;
  CActivityItemList& operator=(const CActivityItemList&) = delete;
  ~CActivityItemList();

  // Called with each item just before the list lets go of it (RemoveOldest, Clear,
  // destruction). Rows that hold the item keep it.
  void SetForgetHook(ForgetHook hook) { forget_ = std::move(hook); }

  // Stores a new item made from the entry; returns it (null when memory runs out).
  CActivityItem* Append(const LogItemRecord& entry, int16_t show_flag);
  // Lets go of the oldest item; false when the list is empty.
  bool RemoveOldest();
  // Lets go of every item, oldest first.
  void Clear();

  size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  // 0 is the oldest. Null when out of range.
  CActivityItem* At(size_t index) const;

 private:
  std::deque<CActivityItem*> items_;  // one hold each
  ForgetHook forget_;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_LOG_ACTIVITY_ITEMS_H_
