#include "client/ui/qt/qt_model_list.h"

namespace hv {

swString cQtModelList::CellText(int32_t row, int32_t column) const {
  return swString(model_->Rows().Text(row, column).data());
}

bool cQtModelList::SetRowImage(int32_t row, int32_t image) {
  if (!model_->ValidRow(row)) return false;
  model_->SetImage(row, image);
  return true;
}

int32_t cQtModelList::RowImage(int32_t row) const {
  return model_->ValidRow(row) ? model_->Rows().Image(row) : -1;
}

cItemValue cQtModelList::RowValue(int32_t row) const {
  return model_->ValidRow(row) ? model_->Rows().Value(row) : 0;
}

bool cQtModelList::SetRowValue(int32_t row, cItemValue value) {
  if (!model_->ValidRow(row)) return false;
  model_->SetValue(row, value);
  return true;
}

bool cQtModelList::SetCheck(int32_t row, bool checked) {
  if (!model_->ValidRow(row)) return false;
  model_->SetChecked(row, checked);
  return true;
}

bool cQtModelList::GetCheck(int32_t row) const {
  return model_->ValidRow(row) && model_->Rows().Checked(row);
}

}  // namespace hv
