// cWindowTest: a fixture of one top-level window that `Toolkit` makes from a layout, with
// its events recorded, for tests of either toolkit's windows and controls.
#ifndef HV_CLIENT_UI_TESTING_WINDOW_TEST_H_
#define HV_CLIENT_UI_TESTING_WINDOW_TEST_H_

#include <gtest/gtest.h>

#include <memory>

#include "client/ui/dialog_layout.h"
#include "client/ui/testing/recording_window_events.h"
#include "client/ui/window.h"

namespace hv {

namespace test {

template <class Toolkit>
class cWindowTest : public ::testing::Test {
 protected:
  // Makes window_ from `layout`; the test has failed when the toolkit refuses the layout.
  void OpenWindow(const cDialogLayout& layout) {
    window_ = toolkit_.CreateTopLevelWindow(layout, nullptr);
    ASSERT_NE(window_, nullptr);
    events_ = std::make_unique<cRecordingWindowEvents>(*window_);
    window_->SetEvents(events_.get());
  }

  Toolkit toolkit_;
  std::unique_ptr<cWindow> window_;
  std::unique_ptr<cRecordingWindowEvents> events_;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_UI_TESTING_WINDOW_TEST_H_
