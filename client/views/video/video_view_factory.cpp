#include "client/views/video/video_view_factory.h"

#include "client/views/video/dlg_child_video_layout.h"

namespace hv {

cVideoViewFactory::cVideoViewFactory(cViewFactory& others, cVideoViewServices services,
                                     cServerConnection* connection)
    : others_(others), services_(std::move(services)) {
  if (services_.requests == nullptr && connection != nullptr) {
    requests_ = std::make_unique<cConnectionVideoRequests>(*connection);
    services_.requests = requests_.get();
  }
}

cVideoViewFactory::~cVideoViewFactory() = default;

std::unique_ptr<cTabChildDlg> cVideoViewFactory::MakeView(int32_t kind, int32_t placement) {
  if (kind != kViewVideo) return others_.MakeView(kind, placement);
  return std::make_unique<CDlgChildVideo>(placement, services_);
}

const cDialogLayout* cVideoViewFactory::ViewLayout(int32_t kind) {
  if (kind != kViewVideo) return others_.ViewLayout(kind);
  return &VideoViewLayout();
}

}  // namespace hv
