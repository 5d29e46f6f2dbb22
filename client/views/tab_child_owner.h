// cTabChildOwner: what a view asks of the main window that owns it.
#ifndef HV_CLIENT_VIEWS_TAB_CHILD_OWNER_H_
#define HV_CLIENT_VIEWS_TAB_CHILD_OWNER_H_

#include <cstdint>

#include "client/protocol/log_item_record.h"
#include "core/status.h"

namespace hv {

class CActivityItem;

class cTabChildOwner {
 public:
  virtual ~cTabChildOwner() = default;

  // Shows an activity entry in every activity log view without storing it (no date or time
  // text means now). `item` is the stored entry it shows, or null. Declined when another entry
  // is being shown, or a view's failure.
  [[nodiscard]] virtual Status ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) = 0;
  // A view could not save its own settings (its columns, as it closed): the user hears of it
  // as of any failed save of settings, once.
  virtual void SettingsNotSaved(const Status& failure) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_TAB_CHILD_OWNER_H_
