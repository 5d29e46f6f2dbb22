// CDlgChildLog: the activity log view. One row per entry, newest at the top, with an image
// per kind of entry; it can narrow itself to the entries of one item ("Filter"), sort by any
// column (header click), be emptied ("Clear") and be refilled from the stored entries
// ("Restore"). On top of the filter, a search box narrows it to the rows that hold a text or
// a regular expression in any column, and "Export..." writes the rows it shows to a CSV file.
// Entries reach it only through the main window, which calls AddEntry on every log view.
//
// Each row refers to the entry it shows and holds it: the application's stored CActivityItem,
// or, for an entry that was shown without being stored, an item of the row's own. An item
// the application lets go of lives on for as long as a row shows it, so every row can always
// be sorted, its texts read from it (the rows keep none), and nothing dangles.
#ifndef HV_CLIENT_VIEWS_LOG_DLG_CHILD_LOG_H_
#define HV_CLIENT_VIEWS_LOG_DLG_CHILD_LOG_H_

#include <cstdint>
#include <functional>
#include <memory>

#include "client/ui/window.h"
#include "client/views/devices/list_ctrl_w_chk_box.h"
#include "client/views/list_column_settings.h"
#include "client/views/log/log_entry_texts.h"
#include "client/views/log/log_row_texts.h"
#include "client/views/log/log_search.h"
#include "client/views/tab_child_dlg.h"
#include "client/views/view_feeds.h"

namespace hv {

class CActivityItem;
class CActivityItemList;
class cClock;
struct cDialogLayout;
class cImageList;

// Control ids of the view's layout.
enum : int32_t {
  kLogList = 1013,
  kLogFilter = 1564,
  kLogRestore = 1565,
  kLogClear = 1566,
  kLogSearchLabel = 1567,
  kLogSearch = 1568,
  kLogSearchRegex = 1569,
  kLogSearchError = 1570,
  kLogExport = 1571,
};

// What a log view needs from the application. Everything not owned outlives the view.
struct cLogViewServices {
  const cClock* clock = nullptr;              // "now" for entries without a date or time
  const CActivityItemList* stored = nullptr;  // the stored entries; null: none
  std::function<uint32_t()> max_log_entries;  // "Max Log Entries" (0 or unset: no limit)
  const char* company = "Orvane LLC";         // where the column settings are kept
  const char* application = "Varnholt";
  // Set while any log view is adding an entry, so a nested call is turned away; shared by
  // all log views of the program. Null: the view keeps its own.
  bool* adding_entry = nullptr;
};

// The layout of the view's window.
const cDialogLayout& LogViewLayout();

class CDlgChildLog : public cTabChildDlg,
                     public cListViewFeed,
                     public cActivityLogFeed,
                     public cWindowEvents {
 public:
  CDlgChildLog(int32_t placement, cLogViewServices services);
  ~CDlgChildLog() override;

  ViewFeeds Feeds() override { return {static_cast<cActivityLogFeed*>(this), this}; }

  // cActivityLogFeed. AddEntry: ok (also when the filter hides the entry); declined when
  // another entry is being added; kNotFound when the view has no list.
  Status AddEntry(const LogItemRecord& entry, CActivityItem* item) override;
  void ForgetItem(const CActivityItem* item) override;

  // cListViewFeed: the log asks the server for nothing; RequestItems only empties it.
  void EmptyList() override;
  Status RequestItems() override;

  // cTabChildDlg: the three buttons keep their distance from the right edge.
  void LayoutChild(const cRect* rect) override;

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;

  // What the user does with the list's header; also what its watcher calls.
  void OnHeaderClick(int32_t column);

  // Writes the rows the view shows, in their order, with a header of the column captions (in
  // the order the header shows them), to `path` as CSV; the file is replaced as a whole or
  // not at all. Fails with kCannotOpenFile when there is no list or path, or the file cannot
  // be written; the message names the path and what the system said.
  [[nodiscard]] Status ExportRows(const char* path) const;

  const swString& FilterText() const { return filter_text_; }
  // The search in effect (none while the box is empty).
  const cLogSearch& Search() const { return search_; }
  int32_t SortColumn() const { return sort_column_; }
  int32_t SortDirection() const { return sort_direction_; }
  cReportList* List() const;
  cImageList* Images() const { return images_.get(); }

 protected:
  Status OnInitDialog() override;
  void ReleaseRows() override { EmptyList(); }
  void SaveSettings() override { ReportSettingsSave(column_settings_.Save()); }

 private:
  // The list's watcher: a plain CListCtrlWChkBox (no check boxes here) that also passes on
  // header clicks and selection changes.
  class cListEvents : public CListCtrlWChkBox {
   public:
    explicit cListEvents(CDlgChildLog& view) : view_(view) {}
    void OnClickReleased() override;
    void OnHeaderClicked(int32_t column) override { view_.OnHeaderClick(column); }
    void OnSelectionChanged() override { view_.UpdateFilterEnabled(); }

   private:
    CDlgChildLog& view_;
  };

  // Ok also when the filter or the search hides the entry; kOutOfMemory when no row is made.
  Status ShowEntry(const LogItemRecord& entry, CActivityItem* item, cReportList& list);
  // Removes every row and adds the stored entries that were shown, oldest first.
  void Refill();
  void OnFilterClicked();
  // A double click on a row: its whole text in a box (the date and time, the message, the
  // function and the data), under the row's name.
  void ShowWholeRow();
  // The search box or its "Regular expression" box changed: a valid search refills the view,
  // an invalid one is explained beside the box and leaves the rows as they are.
  void OnSearchChanged();
  void OnExportClicked();
  // Whether the entry's texts, as its row shows them, hold what the search box asks for.
  bool MatchesSearch(const LogItemRecord& entry, const swString& name_id) const;
  void UpdateFilterEnabled();
  void DeleteLastRow(cReportList& list);
  // Lets go of every row's item and removes the rows.
  void DeleteAllRows(cReportList& list);
  uint32_t MaxEntries() const;

  cLogViewServices services_;
  // What the rows show, read from their entries; lives as long as the list (the window is
  // destroyed before the members).
  cLogRowTexts row_texts_;
  bool own_adding_entry_ = false;
  std::unique_ptr<cImageList> images_;
  cListColumnSettings column_settings_;
  cListEvents list_events_{*this};
  swString filter_text_;
  cLogSearch search_;
  int32_t sort_column_ = 1;
  int32_t sort_direction_ = 1;
  int32_t button_margin_ = 0;  // the client's right edge minus the buttons' left edge
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_LOG_DLG_CHILD_LOG_H_
