#include "client/views/log/log_row_texts.h"

#include "client/protocol/x10_function_name.h"
#include "client/views/log/activity_items.h"
#include "client/views/log/log_entry_texts.h"

namespace hv {

cItemValue cLogRowTexts::ValueOf(const CActivityItem* item) {
  return static_cast<cItemValue>(reinterpret_cast<uintptr_t>(item));
}

const CActivityItem* cLogRowTexts::ItemOf(cItemValue value) {
  return reinterpret_cast<const CActivityItem*>(static_cast<uintptr_t>(value));
}

std::string_view cLogRowTexts::Text(cItemValue value, int32_t column) const {
  const CActivityItem* item = ItemOf(value);
  if (item == nullptr) return "";
  switch (column) {
    case kLogColumnType: return LogEntryTypeText(item->EntryType());
    case kLogColumnDate: return item->DateText();
    case kLogColumnTime: return item->TimeText();
    case kLogColumnNameId:
      built_.clear();
      AppendLogNameId(item->Name(), item->Path(), built_);
      return built_;
    case kLogColumnMessage: return item->Message();
    case kLogColumnFunction: return X10FunctionName(item->FunctionCode(), 0);
    case kLogColumnData: {
      const swString data = LogDataText(item->EntryType(), item->Value(), item->Extra());
      built_.assign(data.CStr(), data.GetLength());
      return built_;
    }
    default: return "";
  }
}

}  // namespace hv
