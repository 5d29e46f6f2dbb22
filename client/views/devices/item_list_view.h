// cItemListView: what the switches, sensors, macros and modes views share. Each lists the
// items the server sends after the view's Get request, keeps every row's name (the key by
// which status changes find their rows, and the name sent back when the user clicks the
// row's check box), and persists its column widths and order.
//
// Life cycle: the main window makes the view, gives it owner and name, and Creates its
// window from the view's layout; initialisation adds the columns (and pictures), restores
// the column settings, measures the layout, hides the side buttons and only then marks the
// view initialised. Items are taken only while `accepting`: from a successful Get request
// until the item with an empty name that ends the server's list. Closing or destroying the
// window releases every row and saves the column settings.
#ifndef HV_CLIENT_VIEWS_DEVICES_ITEM_LIST_VIEW_H_
#define HV_CLIENT_VIEWS_DEVICES_ITEM_LIST_VIEW_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "client/ui/window.h"
#include "client/views/devices/favourite_marks.h"
#include "client/views/devices/list_ctrl_update.h"
#include "client/views/devices/list_ctrl_w_chk_box.h"
#include "client/views/devices/row_name_index.h"
#include "client/views/list_column_settings.h"
#include "client/views/tab_child_dlg.h"
#include "client/views/view_feeds.h"

namespace hv {

class cImageList;
class cItemViewRequests;
class cReportList;
enum class eItemViewIcon;

// What every item view is given by whoever makes it.
struct cItemViewServices {
  cItemViewRequests* requests = nullptr;  // not owned; null: nothing is ever sent
  // The tray favourites (not owned); null: rows have no context menu.
  cFavouriteMarks* favourites = nullptr;
  // Where the column settings live (the registry words chosen at start).
  const char* company = "Orvane LLC";
  const char* application = "Varnholt";
};

// One column of a list: its text and initial width in pixels.
struct cItemColumn {
  const char* text;
  int32_t width;
};

// What sets one item view apart from the others. Each view keeps one as a constant, so
// everything it refers to lives as long as the program.
struct cItemViewDescription {
  ViewKind kind;
  int32_t list_id;
  // The list's name in the column settings ("Top" is appended for the top pane).
  const char* settings_name;
  std::span<const cItemColumn> columns;
  // The Get request of the list, and the request that sets a row's item to the opposite of
  // `checked`. Each returns the send's status.
  Status (*send_get_items)(cItemViewRequests& requests);
  Status (*send_toggle)(cItemViewRequests& requests, const swString& name, bool checked);
  // The messages of the Error entries when those cannot be sent.
  const char* get_items_failure;
  const char* toggle_failure;
  // The list's pictures, in image index order; none when empty.
  std::span<const eItemViewIcon> icons = {};
  // The kind of tray favourite the view's items can be; none when empty.
  std::optional<eFavouriteKind> favourite = std::nullopt;
};

// The command of the row context menu's one item.
constexpr int32_t kFavouriteMenuCommand = 33100;
constexpr const char* kFavouriteMenuText = "Favourite in Tray Menu";

class cItemListView : public cTabChildDlg,
                      public cListViewFeed,
                      public CListCtrlUpdate,
                      public cWindowEvents {
 public:
  ~cItemListView() override;

  // cListViewFeed
  void EmptyList() override;
  Status RequestItems() override;

  // CListCtrlUpdate: a click into a row's check box (or its toggle by keyboard or
  // accessibility), before the box changes. Sends the request for the opposite of the
  // row's state now. Ok (also when not connected, or a failed send was reported); declined
  // when the view was replaced during the send; kNotFound (Where::kUi) for a row without a name.
  Status OnListCheck(int32_t row, int32_t context) override;

  // cWindowEvents. A right click on a row of a view whose items can be favourites opens a
  // menu with one checked item that marks or unmarks the row's item.
  void OnCommand(int32_t /*id*/, eCommandEvent /*event*/) override {}
  void OnContextMenu(int32_t control_id, cPoint screen_point) override;

  bool Initialised() const { return initialised_; }
  bool Accepting() const { return accepting_; }
  int32_t RowCount() const;
  // The list (null before the window exists).
  cReportList* List() const;
  const cListColumnSettings& ColumnSettings() const { return column_settings_; }

 protected:
  // `description` must live as long as the view.
  cItemListView(int32_t placement, const cItemViewServices& services,
                const cItemViewDescription& description);

  Status OnInitDialog() override;
  void ReleaseRows() override;
  void SaveSettings() override;

  // One item from the server: a row at the end with texts by column (missing ones empty),
  // picture and check box. Declined when the view cannot take items (not initialised, no
  // list, or not accepting), declined also for the empty name that ends the list (accepting
  // is then cleared); kOutOfMemory when the list refuses the row; else ok.
  Status AddRow(const swString& name, const std::vector<swString>& texts, int32_t image,
                bool checked);
  // The rows named exactly `name` (none when the view is not initialised). Every row of
  // the list is one the view appended, so the index's row numbers are the list's.
  std::span<const int32_t> RowsNamed(const swString& name) const;

  // Whether status changes reach the rows: only once the view is initialised and has its list.
  bool TakesStatusChanges() const;
  // A status change of every row named `name`: `status` into the first column, `data` (when
  // not null) into the second, and the check box. Declined when the view ignores status
  // changes.
  Status ShowRowStatus(const swString& name, const char* status, const char* data, bool checked);

 private:
  // Ok when a row named `name` may be added; declined while the view takes no list, and
  // from the empty name that ends the list on.
  Status GateItem(const swString& name);
  Status AppendRow(const swString& name, const std::vector<swString>& texts, int32_t image,
                   bool checked);
  const swString* NameOfRow(int32_t row) const;

  cItemViewServices services_;
  const cItemViewDescription& description_;
  bool initialised_ = false;
  bool accepting_ = false;
  cRowNameIndex names_;
  cListColumnSettings column_settings_;
  CListCtrlWChkBox check_box_;
  std::unique_ptr<cImageList> images_;  // shown by the list, so destroyed after its window
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_ITEM_LIST_VIEW_H_
