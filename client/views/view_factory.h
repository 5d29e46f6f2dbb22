// cViewFactory: how the main window gets a view of a kind and the layout its window is made
// from. The program's factory makes the placeholder views of empty_views.h until the real
// views of each kind replace them; the main window does not care which it gets.
#ifndef HV_CLIENT_VIEWS_VIEW_FACTORY_H_
#define HV_CLIENT_VIEWS_VIEW_FACTORY_H_

#include <cstdint>
#include <memory>

#include "client/views/tab_child_dlg.h"

#include "client/ui/dialog_layout.h"

namespace hv {

class cViewFactory {
 public:
  virtual ~cViewFactory() = default;
  // A view of `kind` (1 to 6) for `placement`, its window not yet made; null for an
  // unknown kind.
  virtual std::unique_ptr<cTabChildDlg> MakeView(int32_t kind, int32_t placement) = 0;
  // The layout the window of a view of `kind` is made from; null for an unknown kind.
  virtual const cDialogLayout* ViewLayout(int32_t kind) = 0;
};

// The dialog resource of each kind's view.
int32_t ViewResourceId(int32_t kind);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIEW_FACTORY_H_
