// cHeadlessTabControl: an in-memory tab control. Tabs are kTabWidth pixels wide side by side
// along a kTabHeight strip at the top; the pages' area is the rest, inset by kPageInset.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_TAB_CONTROL_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_TAB_CONTROL_H_

#include <vector>

#include "client/ui/headless/headless_control.h"
#include "client/ui/tab_control.h"

namespace hv {

class cHeadlessTabControl : public tHeadlessControl<cTabControl> {
 public:
  static constexpr int32_t kTabWidth = 80;
  static constexpr int32_t kTabHeight = 24;
  static constexpr int32_t kPageInset = 4;

  using tHeadlessControl<cTabControl>::tHeadlessControl;

  int32_t InsertTab(int32_t index, const char* caption, cItemValue value) override;
  bool DeleteTab(int32_t index) override;
  int32_t TabCount() const override { return static_cast<int32_t>(tabs_.size()); }
  swString TabCaption(int32_t index) const override;
  cItemValue TabValue(int32_t index) const override;
  int32_t Selection() const override { return selection_; }
  void Select(int32_t index) override;
  int32_t TabAt(cPoint point) const override;
  cRect DisplayArea() const override;

 private:
  struct cTab {
    swString caption;
    cItemValue value;
  };
  bool Valid(int32_t index) const { return index >= 0 && index < TabCount(); }

  std::vector<cTab> tabs_;
  int32_t selection_ = -1;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_TAB_CONTROL_H_
