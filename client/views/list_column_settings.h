// cListColumnSettings: keeps a list's column widths and display order across runs, in the
// per-user settings section "ListBoxes", under value names made of the list's name and each
// column's text ("<list> Width <column>", "<list> Order <column>").
#ifndef HV_CLIENT_VIEWS_LIST_COLUMN_SETTINGS_H_
#define HV_CLIENT_VIEWS_LIST_COLUMN_SETTINGS_H_

#include <cstdint>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cReportList;

class cListColumnSettings {
 public:
  // Binds the settings location and the list (not owned). Ok, or kMissingArgument (Where::kUi)
  // when the list is null (then nothing is bound).
  [[nodiscard]] Status Init(const char* company, const char* application, const char* list_name,
                            cReportList* list);

  // Writes every column's width and display position, as one save. Ok; kNotConnected
  // (Where::kUi) without a list; the save's failure (Where::kSettings) when the store refused
  // them (they keep their former values).
  [[nodiscard]] Status Save();
  // Reads them back, with each column's current value as the default, and applies them.
  // Stored values that cannot be right (a negative or absurd width, orders that are not
  // each position exactly once) are left out, so a damaged store cannot scramble a list.
  // Ok, or kNotConnected (Where::kUi) without a list.
  [[nodiscard]] Status Restore();

  const swString& ListName() const { return list_name_; }

 private:
  swString company_;
  swString application_;
  swString list_name_;
  cReportList* list_ = nullptr;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_LIST_COLUMN_SETTINGS_H_
