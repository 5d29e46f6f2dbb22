// The plain top-level window a test makes its views in, as the main window hosts its tabs,
// with the few controls (a tab control, a list) the test's object attaches to.
#ifndef HV_CLIENT_VIEWS_TESTING_HOST_WINDOW_H_
#define HV_CLIENT_VIEWS_TESTING_HOST_WINDOW_H_

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "client/ui/dialog_layout.h"
#include "client/ui/toolkit.h"
#include "client/ui/window.h"

namespace hv {

namespace test {

inline std::unique_ptr<cWindow> MakeHostWindow(cToolkit& toolkit, int32_t width, int32_t height,
                                               std::vector<cControlLayout> controls = {}) {
  cDialogLayout layout{.width = width, .height = height, .controls = std::move(controls)};
  return toolkit.CreateTopLevelWindow(layout, nullptr);
}

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_TESTING_HOST_WINDOW_H_
