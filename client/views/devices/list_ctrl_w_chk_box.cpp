#include "client/views/devices/list_ctrl_w_chk_box.h"

#include "client/views/devices/list_ctrl_update.h"

namespace hv {

CListCtrlWChkBox::~CListCtrlWChkBox() { Attach(nullptr); }

void CListCtrlWChkBox::Attach(cReportList* list) {
  if (list_ != nullptr) list_->SetEvents(nullptr);
  list_ = list;
  if (list_ != nullptr) list_->SetEvents(this);
}

void CListCtrlWChkBox::SetUpdateHandler(int32_t context, CListCtrlUpdate* handler) {
  context_ = context;
  handler_ = handler;
}

Status CListCtrlWChkBox::OnListCheck(int32_t /*row*/, int32_t /*context*/) {
  return Status::Declined(Where::kUi);
}

void CListCtrlWChkBox::OnMouseMove(cPoint point) {
  last_x_ = point.x;
  last_y_ = point.y;
}

bool CListCtrlWChkBox::CheckBoxColumnEdges(const cReportList& list, int32_t* left_edge,
                                           int32_t* right_edge) {
  cListColumn first;
  if (!list.GetColumn(0, &first)) return false;
  const int32_t count = list.ColumnCount();
  int32_t left = 0;
  int32_t right = 0;
  for (int32_t i = 0; i < count; ++i) {
    cListColumn column;
    if (!list.GetColumn(i, &column)) continue;
    if (column.order < first.order) left += column.width;
    if (column.order <= first.order) right += column.width;
  }
  if (first.order == count - 1 && right > kLastColumnDeadZone) right -= kLastColumnDeadZone;
  *left_edge = left;
  *right_edge = right;
  return true;
}

void CListCtrlWChkBox::OnClickReleased() {
  if (list_ == nullptr) return;
  const int32_t row = list_->HitTest(cPoint{last_x_, last_y_});
  int32_t left_edge = 0;
  int32_t right_edge = 0;
  if (!CheckBoxColumnEdges(*list_, &left_edge, &right_edge)) return;
  // The right edge is the first pixel of the next column, so it does not count: a click
  // there is a click on the neighbour. The list's own left border (x 0 and 1) never counts.
  if (row < 0 || last_x_ <= 1 || last_x_ < left_edge || last_x_ >= right_edge) return;
  CallHandler(row);
}

void CListCtrlWChkBox::OnCheckToggling(int32_t row) {
  if (list_ == nullptr || row < 0 || row >= list_->RowCount()) return;
  CallHandler(row);
}

void CListCtrlWChkBox::CallHandler(int32_t row) {
  // The handler reports its own failures (a request not sent becomes an activity entry); the
  // click that started it has nobody else to tell.
  constexpr const char* kWhy = "the handler has told the user already; the click has no one else";
  if (handler_ != nullptr) {
    handler_->OnListCheck(row, context_).Ignore(kWhy);
  } else {
    OnListCheck(row, context_).Ignore(kWhy);
  }
}

}  // namespace hv
