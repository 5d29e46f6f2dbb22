// ViewMaker: makes the main window's views, one class and one layout per kind: the activity
// log, the switches, sensors, macros and modes lists and the camera views. A new kind of view
// is one more case in each of its two switches, which the compiler asks for.
#ifndef HV_CLIENT_VIEWS_VIEW_MAKER_H_
#define HV_CLIENT_VIEWS_VIEW_MAKER_H_

#include <cstdint>
#include <memory>

#include "client/views/devices/item_list_view.h"
#include "client/views/log/dlg_child_log.h"
#include "client/views/video/dlg_child_video.h"
#include "client/views/video/video_requests_port.h"
#include "client/views/view_factory.h"

namespace hv {

class cServerConnection;

class ViewMaker : public cViewFactory {
 public:
  // Every view sends its requests on `connection` (null: nothing is sent) and keeps its
  // settings under the registry words `company`, `application`. The activity log views get
  // `log` and the camera views `video` (the registry words filled in where they name none);
  // when `log` names no re-entry guard, the log views share the maker's. What the services
  // point at must outlive the maker and its views.
  explicit ViewMaker(cServerConnection* connection, const char* company = "Orvane LLC",
                     const char* application = "Varnholt", cLogViewServices log = {},
                     cVideoViewServices video = {});
  ~ViewMaker() override;
  std::unique_ptr<cTabChildDlg> MakeView(ViewKind kind, int32_t placement) override;
  const cDialogLayout& ViewLayout(ViewKind kind) override;
  // The marks the switches and macros views offer in their rows' menus (not owned; null:
  // none). Set it before the views are made.
  void SetFavourites(cFavouriteMarks* favourites) { item_services_.favourites = favourites; }

 private:
  std::unique_ptr<cItemViewRequests> item_requests_;
  std::unique_ptr<cConnectionVideoRequests> video_requests_;
  cItemViewServices item_services_;
  cLogViewServices log_;
  cVideoViewServices video_;
  bool adding_log_entry_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIEW_MAKER_H_
