// CDlgHistory: the History window. The user picks items (by kind, and by name through a find
// field), a range (last hour, day, week, month, or from-to), and sees the picked items'
// values as a chart and the range's events as a table beneath it; the table is searched with
// the activity log's search (text or regular expression) or, across the whole history, by
// words, and exported as CSV; the chart as PNG. The table is the chart's text alternative.
//
// The window is modeless: Open shows it (again), Close hides it. It reads its own connection
// to the house's store, so the writer thread is never held up by it.
#ifndef HV_CLIENT_VIEWS_HISTORY_DLG_HISTORY_H_
#define HV_CLIENT_VIEWS_HISTORY_DLG_HISTORY_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "client/history/history_store.h"
#include "client/ui/report_list.h"
#include "client/ui/window.h"
#include "client/views/history/history_arrangement.h"
#include "client/views/history/history_chart.h"
#include "client/views/history/history_range.h"
#include "client/views/history/window_place.h"

namespace hv {
class cToolkit;
}  // namespace hv

namespace hv::history {

struct HistoryWindowServices {
  cToolkit* toolkit = nullptr;
  // The store of the house now connected (a connection of the window's own); null when there
  // is none (no house yet, recording off, the file unreadable).
  std::function<std::unique_ptr<HistoryStore>()> open_store;
  // Makes the chart in the window's chart frame; may be empty (no chart, the table stays).
  std::function<std::unique_ptr<HistoryChart>(cWindow& window, int32_t frame_id)> make_chart;
  // Writes what the recorder still holds, so the window shows the latest events.
  std::function<void()> flush;
  std::function<int64_t()> now_ms;
  // Where the window may open (see PlaceWindow); empty: where the toolkit puts it.
  std::function<ScreenPlace()> screen_place;
};

// Control ids of the window.
enum : int32_t {
  kHistoryResourceId = 2100,
  kHistoryKindLabel = 2101,
  kHistoryKind = 2102,
  kHistoryFindLabel = 2103,
  kHistoryFind = 2104,
  kHistoryItems = 2105,
  kHistoryRangeLabel = 2106,
  kHistoryRange = 2107,
  kHistoryFromLabel = 2108,
  kHistoryFrom = 2109,
  kHistoryToLabel = 2110,
  kHistoryTo = 2111,
  kHistoryShow = 2112,
  kHistoryChartFrame = 2113,
  kHistorySearchLabel = 2114,
  kHistorySearch = 2115,
  kHistoryRegex = 2116,
  kHistoryWholeStore = 2117,
  kHistoryEvents = 2118,
  kHistoryExportCsv = 2119,
  kHistoryExportPng = 2120,
  kHistoryItemDaysLabel = 2121,
  kHistoryItemDays = 2122,
  kHistoryItemDaysSet = 2123,
  kHistoryStatus = 2124,
  kHistoryClose = 2,
};

// At most this many events fill the table; the status line says when there were more.
constexpr size_t kHistoryEventRows = 10000;

class CDlgHistory : public cWindowEvents, public cReportListEvents {
 public:
  CDlgHistory(HistoryWindowServices services, cWindow* owner);
  ~CDlgHistory() override;
  CDlgHistory(const CDlgHistory&) = delete;
  CDlgHistory& operator=(const CDlgHistory&) = delete;

  // Shows the window (making it the first time) with the store's items and the chosen range.
  // False when the window cannot be made.
  bool Open();
  void Close();
  bool IsOpen() const;
  cWindow* Window() const { return window_.get(); }
  const TimeRange& range() const { return range_; }

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;
  void OnResized(int32_t width, int32_t height) override;
  // cReportListEvents (the item list: picking is selecting)
  void OnMouseMove(cPoint) override {}
  void OnClickReleased() override {}
  void OnSelectionChanged() override;

 private:
  void FillItems();
  // The kind or the find text changed: the list shows other items, and the chart their picks.
  void OnFilterChanged();
  void OnRangeChosen();
  // The Show button: the range chosen, or the times typed over it.
  void OnShow();
  bool TakeFromTo();
  void ShowRange(const TimeRange& range);
  void Refresh();
  void DrawChart();
  void FillEvents();
  // Whether the item draws as a lane of on and off (or as a line of values).
  bool IsLane(const StoredItem& item, int64_t now);
  void ExportCsv();
  void ExportPng();
  void SetItemDays();
  // The picked items the list shows: what the chart draws and the table lists. Picks the
  // kind or find field hides are kept for when they show again, but not drawn meanwhile.
  std::vector<int64_t> ShownPicks() const;
  void Say(const char* text, bool error);
  int64_t Now() const;

  HistoryWindowServices services_;
  cWindow* owner_;
  std::unique_ptr<cWindow> window_;
  std::unique_ptr<HistoryStore> store_;
  std::unique_ptr<HistoryChart> chart_;
  std::vector<StoredItem> items_;    // every item of the house
  std::vector<ItemUsage> usage_;     // their sizes, largest first
  std::vector<size_t> shown_items_;  // the list's rows: indexes into items_
  std::set<int64_t> picked_;         // ids, kept while the kind or find field hides some
  std::map<int64_t, bool> lanes_;    // IsLane's answers by id, while the window is open
  TimeRange range_;
  HistoryArrangement arrangement_;
  int32_t reduced_columns_ = 1;  // the columns the chart's data was last reduced to
  bool filling_ = false;         // the window itself changes the list: no selection events
};

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_DLG_HISTORY_H_
