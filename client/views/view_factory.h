// cViewFactory: how the main window gets a view of a kind and the layout its window is made
// from. The program's is ViewMaker (view_maker.h); tests may stand another in front of it.
#ifndef HV_CLIENT_VIEWS_VIEW_FACTORY_H_
#define HV_CLIENT_VIEWS_VIEW_FACTORY_H_

#include <cstdint>
#include <memory>

#include "client/ui/dialog_layout.h"
#include "client/views/tab_child_dlg.h"
#include "client/views/view_kind.h"

namespace hv {

class cViewFactory {
 public:
  virtual ~cViewFactory() = default;
  // A view of `kind` for `placement`, its window not yet made; null when it cannot be made.
  virtual std::unique_ptr<cTabChildDlg> MakeView(ViewKind kind, int32_t placement) = 0;
  // The layout the window of a view of `kind` is made from.
  virtual const cDialogLayout& ViewLayout(ViewKind kind) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIEW_FACTORY_H_
