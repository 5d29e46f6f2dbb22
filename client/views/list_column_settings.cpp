#include "client/views/list_column_settings.h"

#include <algorithm>
#include <vector>

#include "client/platform/settings_writer.h"
#include "client/ui/report_list.h"
#include "core/profile/profile.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr const char* kSection = "ListBoxes";
// Column texts longer than this are cut, as the value names have always been made from
// what fits a 100-byte buffer.
constexpr uint32_t kColumnTextLimit = 99;
constexpr int32_t kMaxColumnWidth = 32767;

swString ValueName(const swString& list_name, const char* what, const swString& column_text) {
  swString name;
  name.Format("%s %s %s", list_name.CStr(), what, column_text.CStr());
  return name;
}

swString ColumnText(const cListColumn& column) {
  return column.text.GetLength() > kColumnTextLimit ? column.text.Left(kColumnTextLimit)
                                                    : column.text;
}

}  // namespace

Status cListColumnSettings::Init(const char* company, const char* application,
                                 const char* list_name, cReportList* list) {
  if (list == nullptr) return Status(Where::kUi, hv::kMissingArgument);
  company_ = company;
  application_ = application;
  list_name_ = list_name;
  list_ = list;
  return Status::Ok();
}

Status cListColumnSettings::Save() {
  if (list_ == nullptr) return Status(Where::kUi, hv::kNotConnected);
  const int32_t count = list_->ColumnCount();
  // Every view saves its columns when the program ends: one transaction for a list instead of
  // two commits per column. A refused value keeps its former width or order.
  cSettingsWriter writer(company_.CStr(), application_.CStr());
  for (int32_t i = 0; i < count; ++i) {
    cListColumn column;
    if (!list_->GetColumn(i, &column)) continue;
    const swString text = ColumnText(column);
    const uint32_t width = static_cast<uint32_t>(column.width);
    const uint32_t order = static_cast<uint32_t>(column.order);
    writer.Number(kSection, ValueName(list_name_, "Width", text).CStr(), width);
    writer.Number(kSection, ValueName(list_name_, "Order", text).CStr(), order);
  }
  return writer.Finish();
}

Status cListColumnSettings::Restore() {
  if (list_ == nullptr) return Status(Where::kUi, hv::kNotConnected);
  const int32_t count = list_->ColumnCount();
  std::vector<int32_t> orders(static_cast<size_t>(std::max(count, 0)), -1);
  for (int32_t i = 0; i < count; ++i) {
    cListColumn column;
    if (!list_->GetColumn(i, &column)) continue;
    const swString text = ColumnText(column);
    uint32_t width = 0;
    uint32_t order = 0;
    // A column never saved keeps the width and place it has.
    ReadProfileNumber(company_.CStr(), application_.CStr(), kSection,
                      ValueName(list_name_, "Width", text).CStr(), &width,
                      static_cast<uint32_t>(column.width))
        .Ignore("the column's own width is the default");
    ReadProfileNumber(company_.CStr(), application_.CStr(), kSection,
                      ValueName(list_name_, "Order", text).CStr(), &order,
                      static_cast<uint32_t>(column.order))
        .Ignore("the column's own place is the default");
    const int32_t signed_width = static_cast<int32_t>(width);
    if (signed_width >= 0 && signed_width <= kMaxColumnWidth) {
      list_->SetColumnWidth(i, signed_width);
    }
    orders[static_cast<size_t>(i)] = static_cast<int32_t>(order);
  }
  // Orders are applied leftmost position first: each move then leaves the positions already
  // placed alone, so the whole saved arrangement comes back, not just the last column moved.
  std::vector<int32_t> by_position(orders.size(), -1);
  for (size_t i = 0; i < orders.size(); ++i) {
    const int32_t order = orders[i];
    if (order < 0 || order >= count || by_position[static_cast<size_t>(order)] != -1) {
      return Status::Ok();  // not a permutation: keep the current order
    }
    by_position[static_cast<size_t>(order)] = static_cast<int32_t>(i);
  }
  for (size_t position = 0; position < by_position.size(); ++position) {
    list_->SetColumnOrder(by_position[position], static_cast<int32_t>(position));
  }
  return Status::Ok();
}

}  // namespace hv
