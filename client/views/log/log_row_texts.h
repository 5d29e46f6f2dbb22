// cLogRowTexts: the texts of the activity log's rows, read from the entries they show. A
// row's value is the CActivityItem it holds, and the item already keeps the entry's texts, so
// the rows keep none of their own: a long log costs its entries once, not twice. What the log
// makes of an entry (the type's name, "Name/Id", the function's name, "Data") is looked up in
// a table or built into one buffer when a cell is read.
#ifndef HV_CLIENT_VIEWS_LOG_LOG_ROW_TEXTS_H_
#define HV_CLIENT_VIEWS_LOG_LOG_ROW_TEXTS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "client/ui/report_list.h"

namespace hv {

class CActivityItem;

class cLogRowTexts final : public cReportRowTexts {
 public:
  // A row's value for the item it shows, and back; 0 stands for none.
  static cItemValue ValueOf(const CActivityItem* item);
  static const CActivityItem* ItemOf(cItemValue value);

  // The text of a log column (kLogColumnType...) of the row showing the item `value`
  // refers to; empty for no item or another column.
  std::string_view Text(cItemValue value, int32_t column) const override;

 private:
  mutable std::string built_;  // the last text that had to be built
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_LOG_LOG_ROW_TEXTS_H_
