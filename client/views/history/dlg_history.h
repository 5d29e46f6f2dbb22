// CDlgHistory: the History window. The user picks items (by kind, and by name through a find
// field), a range (last hour, day, week, month, or from-to), and sees the picked items'
// values as a chart and the range's events as a table beneath it; the table is searched with
// the activity log's search (text or regular expression) or, across the whole history, by
// words, and exported as CSV; the chart as PNG. The table is the chart's text alternative.
//
// The window is modeless: Open shows it (again), Close hides it. It reads the house's store
// through a connection of its own on a worker thread (HistoryQueries), so neither the writer
// nor the window ever waits for the other: the window opens at once and says when it is
// waiting for the store, and the newest question (a zoom, a key stroke in the search) wins.
#ifndef HV_CLIENT_VIEWS_HISTORY_DLG_HISTORY_H_
#define HV_CLIENT_VIEWS_HISTORY_DLG_HISTORY_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "client/history/history_store.h"
#include "client/ui/window.h"
#include "client/views/history/history_arrangement.h"
#include "client/views/history/history_chart.h"
#include "client/views/history/history_item_list.h"
#include "client/views/history/history_queries.h"
#include "client/views/history/history_range.h"
#include "client/views/history/window_place.h"

namespace hv {
class cEventLoop;
class cToolkit;
}  // namespace hv

namespace hv::history {

struct HistoryWindowServices {
  cToolkit* toolkit = nullptr;
  // The store of the house now connected, a connection of the window's own that only reads
  // (called on the window's worker). Null when there is none (no house yet, recording off,
  // the file unreadable), declined with kWaitingForStore when there is none yet (another
  // client is making it): the window says so and tries again.
  HistoryQueries::OpenStore open_store;
  // Makes the chart in the window's chart frame; may be empty (no chart, the table stays).
  std::function<std::unique_ptr<HistoryChart>(cWindow& window, int32_t frame_id)> make_chart;
  // Runs the debounce timer and watches for the worker's answers. Without one the questions
  // run on the window's own thread as they are asked (a headless run with no loop).
  cEventLoop* event_loop = nullptr;
  // kManual: tests run the worker's questions themselves (Queries()->RunQuestions()).
  HistoryQueries::Mode query_mode = HistoryQueries::Mode::kThread;
  std::function<int64_t()> now_ms;
  // The picks of a house ("kind:name" lines), kept across restarts; either may be empty.
  std::function<std::string()> load_picks;
  std::function<void(const std::string&)> save_picks;
  // The folder the export dialogs open in; empty: the user's Documents folder, or home.
  std::function<std::string()> export_folder;
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
// How long the search waits after a key stroke before it asks the store: typing a word asks
// once, not once per letter.
constexpr uint32_t kHistorySearchDebounceMs = 250;
// How long the window waits for the store's first answer before it says it is waiting.
constexpr uint32_t kHistoryWaitNoticeMs = 300;
// How often the window tries again to read a store another client is still making.
constexpr uint32_t kHistoryRetryMs = 1000;

class CDlgHistory : public cWindowEvents {
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
  // The window's questions to the store; null before the first Open.
  HistoryQueries* Queries() const { return queries_.get(); }

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;
  void OnResized(int32_t width, int32_t height) override;

 private:
  void MakeWindow();
  // Asks the worker for the house's items; their answer fills the list and draws.
  void AskItems();
  // `waiting`: no store yet, another client is making it.
  void TakeItems(std::vector<StoredItem> items, std::vector<ItemUsage> usage, bool has_store,
                 bool waiting);
  void Ask(QuerySlot slot, HistoryQueries::Question question);
  void OnAnswersReady();
  void StopTimer(uint32_t* timer);
  // The kind or the find text changed: the list shows other items; the picks stay.
  void OnFilterChanged();
  // The user picked other items (some toolkits tell it as a command, others through the
  // list's events).
  void OnItemsSelected() { item_list_.OnSelectionChanged(); }
  void OnPicksChanged();
  void OnSearchTyped();
  void OnRangeChosen();
  // The Show button: the range chosen, or the times typed over it.
  void OnShow();
  bool TakeFromTo();
  void ShowRange(const TimeRange& range);
  void Refresh();
  void DrawChart();
  void FillEvents();
  void ExportCsv();
  void ExportPng();
  void SetItemDays();
  std::string AskExportPath(const char* caption, const char* name, const char* filter);
  void Say(const char* text, bool error);
  int64_t Now() const;

  HistoryWindowServices services_;
  cWindow* owner_;
  // Before the window, which may tell the list's events until it is gone.
  HistoryItemList item_list_;
  std::unique_ptr<cWindow> window_;
  class EventRows;
  std::unique_ptr<EventRows> event_rows_;  // the table's texts
  std::unique_ptr<HistoryQueries> queries_;
  std::unique_ptr<HistoryChart> chart_;
  std::map<int64_t, bool> lanes_;  // lane or line, by id, decided once while the window is open
  bool has_store_ = false;
  bool items_known_ = false;  // the items' answer has come since the window was opened
  TimeRange range_;
  HistoryArrangement arrangement_;
  int32_t reduced_columns_ = 1;  // the columns the chart's data was last reduced to
  uint32_t search_timer_ = 0;
  uint32_t wait_timer_ = 0;
  uint32_t retry_timer_ = 0;
  uint32_t wake_watch_ = 0;
  std::string export_folder_;  // where the last export went, for the next
};

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_DLG_HISTORY_H_
