// cVideoViewFactory: makes the video views (CDlgChildVideo) and hands every other kind to
// the factory it wraps, so the main window gets the real video view whatever makes the rest.
#ifndef HV_CLIENT_VIEWS_VIDEO_VIDEO_VIEW_FACTORY_H_
#define HV_CLIENT_VIEWS_VIDEO_VIDEO_VIEW_FACTORY_H_

#include <memory>

#include "client/views/video/dlg_child_video.h"
#include "client/views/video/video_requests_port.h"
#include "client/views/view_factory.h"

namespace hv {

class cVideoViewFactory : public cViewFactory {
 public:
  // `others` is not owned and must outlive the factory; so must the services' pointers.
  // Without `requests` among the services, the views send on `connection` (may be null).
  cVideoViewFactory(cViewFactory& others, cVideoViewServices services,
                    cServerConnection* connection);
  ~cVideoViewFactory() override;

  std::unique_ptr<cTabChildDlg> MakeView(int32_t kind, int32_t placement) override;
  const cDialogLayout* ViewLayout(int32_t kind) override;

 private:
  cViewFactory& others_;
  std::unique_ptr<cConnectionVideoRequests> requests_;
  cVideoViewServices services_;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_VIDEO_VIEW_FACTORY_H_
