// The view maker of the main window, and the video placeholder it makes when no video view
// maker stands in front of it: the placeholder counts its thumbnails.
#ifndef HV_CLIENT_VIEWS_EMPTY_VIEWS_H_
#define HV_CLIENT_VIEWS_EMPTY_VIEWS_H_

#include <cstdint>
#include <memory>
#include <utility>

#include "client/views/devices/item_list_view.h"
#include "client/views/log/dlg_child_log.h"
#include "client/views/tab_child_dlg.h"
#include "client/views/view_factory.h"
#include "client/views/view_feeds.h"

namespace hv {

class cServerConnection;

// The label of the video placeholder, where it counts its pictures.
constexpr int32_t kEmptyViewListId = 1001;

class cEmptyVideoView : public cTabChildDlg, public cVideoFeed {
 public:
  explicit cEmptyVideoView(int32_t placement) : cTabChildDlg(kViewVideo, placement) {}
  ~cEmptyVideoView() override;

  [[nodiscard]] Status AddThumbnail(const ThumbnailRecord& record, const cBitmap* picture,
                                    int32_t max_count) override;
  [[nodiscard]] Status RestoreWindowState() override { return Status::Ok(); }
  [[nodiscard]] Status RebuildThumbnails() override;
  int32_t IsPreviewInTab() const override { return preview_in_tab_; }
  void SetPreviewInTab(int32_t on) override { preview_in_tab_ = on ? 1 : 0; }
  void SetSharedView(cTabChildDlg* view) override { shared_view_ = view; }

  int32_t Thumbnails() const { return thumbnails_; }
  int32_t Rebuilds() const { return rebuilds_; }
  cTabChildDlg* SharedView() const { return shared_view_; }

 protected:
  [[nodiscard]] Status OnInitDialog() override;

 private:
  void ShowCount();

  int32_t thumbnails_ = 0;
  int32_t rebuilds_ = 0;
  int32_t preview_in_tab_ = 0;
  cTabChildDlg* shared_view_ = nullptr;
};

// Makes the views: the activity log, switches, sensors, macros and modes views, and
// placeholders for the other kinds. Every view sends its requests on `connection` (null:
// nothing is sent); the list views keep their column settings under the registry words
// `company`, `application`. The activity log views get `log` (its registry words are those
// given here); when it names no re-entry guard, they share the factory's.
class cEmptyViewFactory : public cViewFactory {
 public:
  explicit cEmptyViewFactory(cServerConnection* connection, const char* company = "Orvane LLC",
                             const char* application = "Varnholt", cLogViewServices log = {});
  ~cEmptyViewFactory() override;
  std::unique_ptr<cTabChildDlg> MakeView(int32_t kind, int32_t placement) override;
  const cDialogLayout* ViewLayout(int32_t kind) override;
  // The marks the switches and macros views offer in their rows' menus (not owned; null:
  // none). Set it before the views are made.
  void SetFavourites(cFavouriteMarks* favourites) { item_services_.favourites = favourites; }

 private:
  std::unique_ptr<cItemViewRequests> item_requests_;
  cItemViewServices item_services_;
  cLogViewServices log_;
  bool adding_log_entry_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_EMPTY_VIEWS_H_
