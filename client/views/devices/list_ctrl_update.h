// CListCtrlUpdate: what a list with check boxes calls when the user clicks into the check-box
// column of a row. The views that let the user switch things by their check box implement it.
#ifndef HV_CLIENT_VIEWS_DEVICES_LIST_CTRL_UPDATE_H_
#define HV_CLIENT_VIEWS_DEVICES_LIST_CTRL_UPDATE_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class CListCtrlUpdate {
 public:
  virtual ~CListCtrlUpdate() = default;
  // Called before the toolkit handles the click, so the row's check state is still the one
  // from before the click. `context` is the value given to SetUpdateHandler.
  [[nodiscard]] virtual Status OnListCheck(int32_t row, int32_t context) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_LIST_CTRL_UPDATE_H_
