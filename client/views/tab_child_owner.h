// cTabChildOwner: what a view asks of the main window that owns it.
#ifndef HV_CLIENT_VIEWS_TAB_CHILD_OWNER_H_
#define HV_CLIENT_VIEWS_TAB_CHILD_OWNER_H_

#include <cstdint>

class CActivityItem;

class cTabChildOwner {
 public:
  virtual ~cTabChildOwner() = default;

  // Shows an activity entry in every activity log view without storing it. Texts may be
  // null (empty; no date or time text means now). `item` is the stored entry it shows, or
  // null. 0, 1 when another entry is being shown, or a view's negative status.
  [[nodiscard]] virtual int32_t ShowLogEntry(int32_t entry_type, int32_t detail1, int32_t detail2,
                                             const char* name, const char* path,
                                             const char* message, int32_t function_code,
                                             double value, int32_t extra, const char* date_text,
                                             const char* time_text, CActivityItem* item) = 0;
};

#endif  // HV_CLIENT_VIEWS_TAB_CHILD_OWNER_H_
