// cTabControl: a row of tabs, each with a caption and a value. Views placed on it are child
// windows whose host is the tab control (cToolkit::CreateChildWindow). Changing the selected
// tab reaches the window's OnCommand with kSelectionChanged; a right click its OnContextMenu.
#ifndef HV_CLIENT_UI_TAB_CONTROL_H_
#define HV_CLIENT_UI_TAB_CONTROL_H_

#include "client/ui/control.h"

namespace hv {

class cTabControl : public cControl {
 public:
  // Inserts before index (clamped to the count); returns the new tab's index.
  virtual int32_t InsertTab(int32_t index, const char* caption, cItemValue value) = 0;
  virtual bool DeleteTab(int32_t index) = 0;
  virtual int32_t TabCount() const = 0;
  virtual swString TabCaption(int32_t index) const = 0;
  virtual cItemValue TabValue(int32_t index) const = 0;

  // -1 when none. Select does not notify the window: code that selects calls its own update.
  virtual int32_t Selection() const = 0;
  virtual void Select(int32_t index) = 0;

  // The tab under a point in the control's own coordinates, or -1.
  virtual int32_t TabAt(cPoint point) const = 0;
  // The area below the tabs where the pages go, in the control's own coordinates.
  virtual cRect DisplayArea() const = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_TAB_CONTROL_H_
