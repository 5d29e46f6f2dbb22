// A switches view as the benchmarks that feed it need it: on a host window of its own, shown,
// and having asked for its list, so that it takes the Switch items that follow. The Get
// request only pretends to go out: no server is behind it.
#ifndef HV_BENCH_VIEWS_SWITCHES_VIEW_HOST_H_
#define HV_BENCH_VIEWS_SWITCHES_VIEW_HOST_H_

#include <cstdio>
#include <memory>
#include <string>

#include "client/ui/toolkit.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/devices/item_view_requests.h"
#include "core/status.h"

namespace hv {

namespace bench {

class cAlwaysSent : public cItemViewRequests {
 public:
  bool IsConnected() const override { return true; }
  Status GetSwitches() override { return Status::Ok(); }
  Status GetSensors() override { return Status::Ok(); }
  Status GetMacros() override { return Status::Ok(); }
  Status GetModes() override { return Status::Ok(); }
  Status SetSwitchStatus(const swString&, uint32_t) override { return Status::Ok(); }
  Status SetSensorStatus(const swString&, uint32_t) override { return Status::Ok(); }
  Status SetMacroStatus(const swString&, uint32_t) override { return Status::Ok(); }
  Status SetModeStatus(const swString&, uint16_t) override { return Status::Ok(); }
};

// The name of the benchmark's switch number `index`: "Switch 00042".
inline std::string SwitchName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "Switch %05d", index);
  return name;
}

struct cSwitchesViewHost {
  std::unique_ptr<cWindow> host;
  cAlwaysSent requests;
  std::unique_ptr<CDlgChildSwitches> view;
};

// Makes the view in `toolkit` and has it ask for its list; false when it cannot be made.
inline bool OpenSwitchesView(cToolkit& toolkit, cSwitchesViewHost* setup) {
  cDialogLayout host_layout;
  host_layout.width = 500;
  host_layout.height = 300;
  setup->host = toolkit.CreateTopLevelWindow(host_layout, nullptr);
  cItemViewServices services;
  services.requests = &setup->requests;
  setup->view = std::make_unique<CDlgChildSwitches>(kPlacementTab, services);
  if (!setup->view->Create(toolkit, SwitchesViewLayout(), *setup->host, 0).ok()) {
    return false;
  }
  setup->view->MoveChild(cRect{0, 0, 800, 500}, false);
  setup->view->ShowChild(true);
  setup->host->Show(true);
  return setup->view->RequestSwitches().ok();
}

}  // namespace bench

}  // namespace hv

#endif  // HV_BENCH_VIEWS_SWITCHES_VIEW_HOST_H_
