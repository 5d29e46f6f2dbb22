// HistoryItemList: the History window's list of the house's items and the user's picks among
// them. The list shows the items of the chosen kind whose name holds the find text, with
// their size in the store; the picks stay while the list hides some of them, and are what the
// chart draws and the table lists.
#ifndef HV_CLIENT_VIEWS_HISTORY_HISTORY_ITEM_LIST_H_
#define HV_CLIENT_VIEWS_HISTORY_HISTORY_ITEM_LIST_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "client/history/store_types.h"
#include "client/ui/report_list.h"
#include "client/ui/window.h"

namespace hv::history {

class HistoryItemList : public cReportListEvents {
 public:
  // `picks_changed` is called after the user picked other items.
  explicit HistoryItemList(std::function<void()> picks_changed)
      : picks_changed_(std::move(picks_changed)) {}
  HistoryItemList(const HistoryItemList&) = delete;
  HistoryItemList& operator=(const HistoryItemList&) = delete;

  // Sets up the columns of the window's item list and hears its selection.
  void Attach(cWindow* window);
  // The house's items and their sizes, as the store gave them; or the items alone, with
  // their days changed (the sizes stay).
  void Take(std::vector<StoredItem> items, std::vector<ItemUsage> usage);
  void TakeItems(std::vector<StoredItem> items) { items_ = std::move(items); }
  const std::vector<StoredItem>& items() const { return items_; }
  // Shows the items of the chosen kind whose name holds the find text, the picked selected.
  void Fill();

  // The picked items, in the house's order.
  std::vector<StoredItem> Picked() const;
  std::vector<int64_t> PickedIds() const;
  // Picks the items named in `saved` ("kind:name" lines); SavedPicks gives the picks so.
  void RestorePicks(const std::string& saved);
  std::string SavedPicks() const;

  // cReportListEvents: picking is selecting.
  void OnMouseMove(cPoint) override {}
  void OnClickReleased() override {}
  void OnSelectionChanged() override;

 private:
  std::function<void()> picks_changed_;
  cWindow* window_ = nullptr;
  std::vector<StoredItem> items_;    // every item of the house
  std::vector<ItemUsage> usage_;     // their sizes, largest first
  std::vector<size_t> shown_items_;  // the list's rows: indexes into items_
  std::set<int64_t> picked_;         // ids, kept while the kind or find field hides some
  bool filling_ = false;             // the list itself is being filled: no selection events
};

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_HISTORY_ITEM_LIST_H_
