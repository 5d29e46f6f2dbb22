// cTabArrangement: which views the main window has and where they go. The fixed views sit in
// tabs (one per kind of view that has one, with the captions and codes of view_kind.h as the
// tabs' texts and values), each video source adds a tab (code 5 + its number),
// and in split view one more view of the user's choice, the top view, fills a pane above the
// tab control. The arrangement owns every view (tabbed and top together), lays them out,
// shows exactly the selected tab's view (and the top view while "Split View" is checked),
// rebuilds the top view on "Show On Top", and keeps the choices the "Main Window" values
// remember between runs.
//
// Use: construct, Attach the main window (after its window exists), CreateFixedViews,
// InsertFixedTabs, then answers and user actions; the window must outlive the arrangement's
// use of it (Detach, or destroy the arrangement, before the window goes).
#ifndef HV_CLIENT_SHELL_DESK_TAB_ARRANGEMENT_H_
#define HV_CLIENT_SHELL_DESK_TAB_ARRANGEMENT_H_

#include <cstdint>
#include <functional>
#include <memory>

#include "client/shell/desk/desk_layout_metrics.h"
#include "client/views/tab_child_dlg_list.h"
#include "client/views/view_feeds.h"
#include "client/views/view_kind.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cPopupMenu;
class cTabChildOwner;
class cTabControl;
class cToolkit;
class cViewFactory;
class cWindow;

// The choices kept in "Main Window".
struct cArrangementChoices {
  bool split_view = true;
  bool additional_information = true;
  bool user_log_messages = true;
  int32_t current_tab_view = 0;                // view code of the selected tab
  ViewKind top_kind = ViewKind::kActivityLog;  // view kind of the top view
  swString top_name;                           // its name (a tab caption, or a video source's name)
};

// The code of the Activity Log's tab, which takes the selection while a chosen video tab is
// not there.
constexpr int32_t kLogTabCode = RowOfKind(ViewKind::kActivityLog).tab_code;
constexpr int32_t kNoTabCode = 6;  // the right-clicked tab before any right click

class cTabArrangement {
 public:
  // None of the three is owned; all must outlive the arrangement. `owner` receives the
  // views' reports and may be null.
  cTabArrangement(cToolkit& toolkit, cViewFactory& factory, cTabChildOwner* owner);
  ~cTabArrangement();
  cTabArrangement(const cTabArrangement&) = delete;
  cTabArrangement& operator=(const cTabArrangement&) = delete;

  // Takes the window whose controls it arranges, sets the option check boxes from the
  // choices and measures the layout (the window must still have its initial layout).
  void Attach(cWindow& window, const cArrangementChoices& choices);
  // Closes every view (CloseChild 0), deletes them and forgets the window.
  void Detach();

  // The views of the fixed tabs, in the tabs' order; a view whose window cannot be made is
  // dropped.
  void CreateFixedViews();
  // The fixed tabs; the tab whose code is the current tab view is selected. Any other
  // saved code selects the Activity Log; a video tab's code is kept waiting for its tab.
  void InsertFixedTabs();
  // Removes, from the last tab to the first, every video tab and the views of its name. A
  // selected video tab hands the selection to the Activity Log until it comes back.
  void RemoveVideoTabs();
  // Every video view goes: the video tabs with their views, and a video top view (which
  // RecreateTopView makes again). Used when the server's video sources are asked for anew.
  void DropVideoViews();
  // A Video source answer: a tab and a tabbed video view for a source not seen yet (declined
  // when its tab exists already, or there is no tab control). The tab whose code is waiting
  // (the saved or last chosen video tab) is selected and its view shown; any other new view
  // stays hidden until chosen.
  [[nodiscard]] Status AddVideoSource(const swString& name, uint32_t number);

  // Reads the options from their check boxes and places every control and view.
  void UpdateLayout();
  // Shows the selected tab's view and, in split view, the top view; hides the rest.
  void UpdateVisibility();
  // The user chose another tab.
  void OnSelectionChanged();
  // At start-up, after the tabs are in: as a selection change, so the view shown is the
  // selected tab's.
  void EvaluateInitialSelection();
  // A right click on the tab control at a screen point: remembers the tab under it (the
  // current one when there is none), brings the window forward and opens the tab menu.
  void OnTabRightClick(cPoint screen_point);
  // The tab menu's "Show On Top".
  void ShowOnTop();
  // Replaces the top view with a new one of the top view's kind and name. Ok, declined
  // without a window, or kNotFound when the view could not be made.
  [[nodiscard]] Status RecreateTopView();
  // The tabbed view named like the top view becomes the current video view (start-up).
  void TakeCurrentVideoViewFromTopName();
  // The window was resized to a client area of width x height.
  void OnResized(int32_t width, int32_t height);

  // Calls fn for every view whose kind's feed is Feed (top view included).
  template <class Feed>
  void ForEachFeed(const std::function<void(Feed&)>& fn) {
    views_.ForEach([&](cTabChildDlg& view) {
      if (Feed* feed = FeedOf<Feed>(view)) fn(*feed);
    });
  }
  // The same, with the view that offers the feed (its name, its placement).
  template <class Feed>
  void ForEachViewFeed(const std::function<void(cTabChildDlg&, Feed&)>& fn) {
    views_.ForEach([&](cTabChildDlg& view) {
      if (Feed* feed = FeedOf<Feed>(view)) fn(view, *feed);
    });
  }
  // Calls fn for the list of every view that keeps one; only those of the kinds that ask the
  // server for their items when `asking` is set.
  void ForEachList(bool asking, const std::function<void(cListViewFeed&)>& fn);

  // The choices as they are now (options read from their check boxes).
  cArrangementChoices Choices() const;
  cTabChildDlgList& Views() { return views_; }
  cTabChildDlg* TopView() const { return top_view_; }
  cTabChildDlg* CurrentVideoView() const { return current_video_view_; }
  int32_t CurrentTabView() const { return choices_.current_tab_view; }
  int32_t RightClickedTab() const { return right_clicked_tab_; }
  bool SplitView() const;
  const cDeskLayoutMetrics& Metrics() const { return metrics_; }

 private:
  cTabControl* Tabs() const;
  bool Checked(int32_t id) const;
  // The view of a kind made, named and its window created in the tab control (tabbed) or the
  // main window (top); null when it cannot be made.
  std::unique_ptr<cTabChildDlg> MakeView(ViewKind kind, int32_t placement, const swString& name);
  // The tabbed view is the one the selected tab shows.
  bool MatchesCurrentTab(const cTabChildDlg& view) const;
  swString SelectedCaption() const;
  void HandleTabMenu(int32_t command);
  // Selects the tab at `index` as the program's own choice (not the user's).
  void SelectTab(int32_t index);
  // The Activity Log takes the selection while the chosen video tab is not there.
  void FallBackToLog(int32_t waiting_code);

  cToolkit& toolkit_;
  cViewFactory& factory_;
  cTabChildOwner* owner_;
  cWindow* window_ = nullptr;
  cDeskLayoutMetrics metrics_;
  cArrangementChoices choices_;
  cTabChildDlgList views_;
  cTabChildDlg* top_view_ = nullptr;
  cTabChildDlg* current_video_view_ = nullptr;
  int32_t right_clicked_tab_ = kNoTabCode;
  std::unique_ptr<cPopupMenu> tab_menu_;
  bool resizing_ = false;
  // A video tab chosen (saved, or selected before the video tabs were rebuilt) whose tab is
  // not there yet; the user choosing any tab forgets it.
  int32_t waiting_video_tab_ = 0;
  // Set while the arrangement itself changes the tab selection, so that the toolkit's
  // selection notice is not taken for the user's choice.
  bool selecting_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_DESK_TAB_ARRANGEMENT_H_
